// Linux media services: the media-command interpreter over SDL2_mixer (music files, the looping
// WAV player, the CD's samples) and libcdio (the CD). Everything plays through SDL's default
// audio output; SDL_AUDIODRIVER=disk or dummy stands in for a sound card.
// Known gaps: one SDL mixer per process, so one interpreter at a time; "pause", "resume" and
// "seek" are not supported; a music file's "position" and "length" are not reported.
#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "cdio_disc.h"
#include "mci_interpreter.h"
#include "mci_text.h"

namespace orveline {
namespace {

constexpr int kCdRate = 44100;
constexpr int kReadAheadSectors = 75;  // one second

class SdlCdDrive;

// The SDL audio output, opened on first use in the CD's format so that CD samples need no
// conversion; SDL converts for the device.
class SdlAudio {
  public:
    ~SdlAudio() {
        if (mixerOpen_) {
            Mix_SetPostMix(nullptr, nullptr);
            Mix_HaltChannel(-1);
            Mix_HaltMusic();
            Mix_CloseAudio();
        }
        if (sdlAudio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool start() {
        if (mixerOpen_) return true;
        if (!initSubsystem()) return false;
        if (Mix_OpenAudioDevice(kCdRate, AUDIO_S16LSB, 2, 2048, nullptr, 0) != 0) return false;
        Mix_Init(MIX_INIT_MP3);
        Mix_SetPostMix(&SdlAudio::postMix, this);
        mixerOpen_ = true;
        return true;
    }

    std::uint32_t deviceCount() {
        if (!initSubsystem()) return 0;
        const int count = SDL_GetNumAudioDevices(0);
        if (count >= 0) return static_cast<std::uint32_t>(count);
        // The driver cannot list its devices: there is one if the default opens.
        return start() ? 1 : 0;
    }

    // The CD heard from now on; release(cd) ends it if it is still that one.
    void setCd(SdlCdDrive* cd) {
        std::lock_guard<std::mutex> lock(cdMutex_);
        cd_ = cd;
    }
    void releaseCd(SdlCdDrive* cd) {
        std::lock_guard<std::mutex> lock(cdMutex_);
        if (cd_ == cd) cd_ = nullptr;
    }

    const void* playingMusic = nullptr;  // the music file that owns SDL_mixer's music

    // The looping sound player's one sound.
    Mix_Chunk* sound = nullptr;

  private:
    bool initSubsystem() {
        if (!sdlAudio_) {
            SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
            sdlAudio_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        }
        return sdlAudio_;
    }
    static void postMix(void* self, Uint8* stream, int length);

    bool sdlAudio_ = false;
    bool mixerOpen_ = false;
    std::mutex cdMutex_;
    SdlCdDrive* cd_ = nullptr;
};

// Plays sector ranges of a CD: a reader thread reads ahead, the audio thread mixes what has
// been read and advances the position that "status" reports.
class SdlCdDrive : public CdDrive {
  public:
    SdlCdDrive(SdlAudio& audio, std::unique_ptr<CdioDisc> disc)
        : audio_(audio), disc_(std::move(disc)), reader_([this] { readLoop(); }) {}

    ~SdlCdDrive() override {
        audio_.releaseCd(this);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        reader_.join();
    }

    bool readTracks(std::vector<DiscTrack>& tracks) override {
        const bool ready = disc_->readTracks(tracks);
        std::lock_guard<std::mutex> lock(mutex_);
        if (!ready) tracks.clear();
        if (!sameTracks(tracks, tracks_) && !tracks_.empty()) {
            // Another disc, or none: what was playing is gone, as when a drive's tray opens.
            playing_ = false;
            restart(tracks.empty() ? 0 : tracks.front().start);
        }
        tracks_ = tracks;
        return ready;
    }

    bool play(std::int32_t from, std::int32_t to) override {
        if (!audio_.start()) return false;
        audio_.setCd(this);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            restart(from);
            end_ = to;
            playing_ = true;
        }
        wake_.notify_all();
        return true;
    }

    void stop() override {
        std::lock_guard<std::mutex> lock(mutex_);
        playing_ = false;
        restart(heard_);
    }

    bool playing() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return playing_;
    }

    std::int32_t position() override {
        std::lock_guard<std::mutex> lock(mutex_);
        return heard_;
    }

    // Audio thread: adds the read-ahead samples into the output.
    void mix(std::int16_t* out, int samples) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (int i = 0; i < samples && playing_ && !ready_.empty(); ++i) {
                const int sum = out[i] + ready_.front()[offset_++];
                out[i] = static_cast<std::int16_t>(sum > 32767    ? 32767
                                                   : sum < -32768 ? -32768
                                                                  : sum);
                if (offset_ == kSamplesPerSector) {
                    ready_.pop_front();
                    offset_ = 0;
                    if (++heard_ >= end_) playing_ = false;
                }
            }
        }
        wake_.notify_all();
    }

  private:
    static bool sameTracks(const std::vector<DiscTrack>& a, const std::vector<DiscTrack>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
            return x.start == y.start && x.length == y.length && x.audio == y.audio;
        });
    }

    // Caller holds mutex_.
    void restart(std::int32_t from) {
        ++generation_;
        ready_.clear();
        offset_ = 0;
        heard_ = from;
        next_ = from;
    }

    bool isAudio(std::int32_t sector) const {
        for (const DiscTrack& t : tracks_) {
            if (sector >= t.start && sector < t.start + t.length) return t.audio;
        }
        return false;
    }

    void readLoop() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!quit_) {
            if (!playing_ || next_ >= end_ || ready_.size() >= kReadAheadSectors) {
                wake_.wait(lock);
                continue;
            }
            const std::int32_t sector = next_;
            const std::uint64_t generation = generation_;
            const bool audio = isAudio(sector);
            lock.unlock();
            // Data sectors and unreadable ones are heard as silence.
            std::vector<std::int16_t> samples(kSamplesPerSector, 0);
            if (audio && !disc_->readSector(sector, samples.data())) {
                std::fill(samples.begin(), samples.end(), 0);
            }
            lock.lock();
            if (generation == generation_) {
                ready_.push_back(std::move(samples));
                ++next_;
            }
        }
    }

    SdlAudio& audio_;
    std::unique_ptr<CdioDisc> disc_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<DiscTrack> tracks_;
    std::deque<std::vector<std::int16_t>> ready_;
    int offset_ = 0;          // samples of ready_.front() already heard
    std::int32_t heard_ = 0;  // sector being heard
    std::int32_t next_ = 0;   // sector the reader reads next
    std::int32_t end_ = 0;
    std::uint64_t generation_ = 0;  // bumped on every jump, so a late read is dropped
    bool playing_ = false;
    bool quit_ = false;
    std::thread reader_;  // last: starts once everything above is set
};

void SdlAudio::postMix(void* self, Uint8* stream, int length) {
    auto* audio = static_cast<SdlAudio*>(self);
    std::lock_guard<std::mutex> lock(audio->cdMutex_);
    if (audio->cd_) audio->cd_->mix(reinterpret_cast<std::int16_t*>(stream), length / 2);
}

class SdlMusicFile : public MusicFile {
  public:
    SdlMusicFile(SdlAudio& audio, Mix_Music* music) : audio_(audio), music_(music) {}
    ~SdlMusicFile() override {
        stop();
        Mix_FreeMusic(music_);
    }

    bool play(std::int64_t fromMs) override {
        if (Mix_PlayMusic(music_, 1) != 0) return false;
        audio_.playingMusic = this;
        if (fromMs > 0) Mix_SetMusicPosition(static_cast<double>(fromMs) / 1000.0);
        return true;
    }

    void stop() override {
        if (audio_.playingMusic == this) {
            Mix_HaltMusic();
            audio_.playingMusic = nullptr;
        }
    }

    bool playing() override { return audio_.playingMusic == this && Mix_PlayingMusic() != 0; }

  private:
    SdlAudio& audio_;
    Mix_Music* music_;
};

// Only plain files are opened: a FIFO would block the opening thread, a device never ends.
bool isPlainFile(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

bool isRiffWave(const char* path) {
    if (!isPlainFile(path)) return false;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    char header[12] = {};
    const bool ok = std::fread(header, 1, sizeof header, file) == sizeof header &&
                    std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "WAVE", 4) == 0;
    std::fclose(file);
    return ok;
}

class SdlMediaBackend : public MediaBackend {
  public:
    ~SdlMediaBackend() override { playSound(nullptr, 0); }

    std::unique_ptr<CdDrive> openCdDrive(std::uint32_t& error) override {
        const char* source = std::getenv("ORVELINE_CD");
        auto disc = CdioDisc::open(source ? source : "");
        if (!disc) {
            error = mci::kCannotLoadDriver;
            return nullptr;
        }
        return std::make_unique<SdlCdDrive>(audio_, std::move(disc));
    }

    std::unique_ptr<MusicFile> openMusicFile(const std::string& path,
                                             std::uint32_t& error) override {
        std::FILE* file = isPlainFile(path.c_str()) ? std::fopen(path.c_str(), "rb") : nullptr;
        if (file == nullptr) {
            error = mci::kFileNotFound;
            return nullptr;
        }
        std::fclose(file);
        if (!audio_.start()) {
            error = mci::kInternal;
            return nullptr;
        }
        // NOTE: SDL_mixer goes by the name's extension first, so a WAV file named .mp3 would be
        // fed to the MP3 decoder; the system's player goes by the content, and so do we.
        Mix_Music* music = isRiffWave(path.c_str())
                               ? Mix_LoadMUSType_RW(SDL_RWFromFile(path.c_str(), "rb"), MUS_WAV, 1)
                               : Mix_LoadMUS(path.c_str());
        if (music == nullptr) {
            error = mci::kInvalidFile;
            return nullptr;
        }
        return std::make_unique<SdlMusicFile>(audio_, music);
    }

    bool playSound(const char* file, std::uint32_t flags) override {
        if (audio_.sound) {
            Mix_HaltChannel(-1);
            Mix_FreeChunk(audio_.sound);
            audio_.sound = nullptr;
        }
        if (file == nullptr) return true;
        // The system's sound player plays WAV files only.
        if (!isRiffWave(file) || !audio_.start()) return false;
        audio_.sound = Mix_LoadWAV(file);
        if (audio_.sound == nullptr) return false;
        return Mix_PlayChannel(-1, audio_.sound, (flags & kSoundLoop) ? -1 : 0) >= 0;
    }

    std::uint32_t waveOutputDeviceCount() override { return audio_.deviceCount(); }

  private:
    SdlAudio audio_;
};

}  // namespace

std::unique_ptr<MediaInterface> createSystemMedia() {
    return std::make_unique<MciInterpreter>(std::make_unique<SdlMediaBackend>());
}

}  // namespace orveline
