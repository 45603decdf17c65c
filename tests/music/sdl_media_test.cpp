// The Linux media services on a real audio path: SDL's disk driver writes what would be heard
// to a file, in real time, so these tests need no sound card. Clips are short.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <thread>

#include "media_interface.h"
#include "veyra_bgm.h"

namespace orveline {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kRate = 44100;

void writeLe(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Stereo 16-bit samples of a sine tone.
std::vector<std::int16_t> tone(double hz, int frames) {
    std::vector<std::int16_t> samples;
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * hz * i / kRate));
        samples.push_back(v);
        samples.push_back(v);
    }
    return samples;
}

void writeWav(const fs::path& path, double seconds) {
    const auto samples = tone(440, static_cast<int>(seconds * kRate));
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t bytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    writeLe(out, 36 + bytes, 4);
    out.write("WAVEfmt ", 8);
    writeLe(out, 16, 4);
    writeLe(out, 1, 2);  // PCM
    writeLe(out, 2, 2);
    writeLe(out, kRate, 4);
    writeLe(out, kRate * 4, 4);
    writeLe(out, 4, 2);
    writeLe(out, 16, 2);
    out.write("data", 4);
    writeLe(out, bytes, 4);
    out.write(reinterpret_cast<const char*>(samples.data()), bytes);
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

void writeMp3(const fs::path& path, double seconds) {
    const fs::path wav = path.parent_path() / "for-encoder.wav";
    writeWav(wav, seconds);
    const std::string command = "lame --quiet -b 128 " + quoted(wav) + " " + quoted(path);
    ASSERT_EQ(std::system(command.c_str()), 0) << "needs the lame encoder: " << command;
    fs::remove(wav);
}

// A disc image of `tracks` tone tracks (300 Hz, 600 Hz, 1200 Hz) of `sectors` sectors each.
void writeDisc(const fs::path& cue, int sectors, int tracks = 3) {
    const fs::path bin = fs::path(cue).replace_extension(".bin");
    std::ofstream out(bin, std::ios::binary);
    for (double hz : {300.0, 600.0, 1200.0}) {
        if (hz > 300 << (tracks - 1)) break;
        const auto samples = tone(hz, sectors * 588);
        out.write(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
    }
    auto msf = [](int s) {
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", s / 4500, s / 75 % 60, s % 75);
        return std::string(text);
    };
    std::ofstream c(cue);
    c << "FILE \"" << bin.filename().string() << "\" BINARY\n";
    for (int t = 0; t < tracks; ++t) {
        c << "  TRACK 0" << t + 1 << " AUDIO\n    INDEX 01 " << msf(t * sectors) << "\n";
    }
}

// Waits up to `limit` for `done`.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class RealAudio : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/orveline-music-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
        output = dir / "heard.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        unsetenv("ORVELINE_CD");
    }
    void TearDown() override { fs::remove_all(dir); }

    // Stereo frames written to the output so far that are not silent.
    std::size_t audibleFrames(std::size_t skipFrames = 0) {
        std::ifstream in(output, std::ios::binary);
        std::vector<std::int16_t> frame(2);
        std::size_t audible = 0, index = 0;
        while (in.read(reinterpret_cast<char*>(frame.data()), 4)) {
            if (index++ >= skipFrames && (frame[0] != 0 || frame[1] != 0)) ++audible;
        }
        return audible;
    }
    // The pitch of what was heard: zero crossings of the left channel over the audible frames.
    double heardPitch() {
        std::ifstream in(output, std::ios::binary);
        std::int16_t frame[2], last = 0;
        std::size_t audible = 0, crossings = 0;
        while (in.read(reinterpret_cast<char*>(frame), 4)) {
            if (frame[0] == 0 && frame[1] == 0) continue;
            ++audible;
            if ((last < 0) != (frame[0] < 0)) ++crossings;
            last = frame[0];
        }
        return audible == 0 ? 0 : crossings / 2.0 / (static_cast<double>(audible) / kRate);
    }
    std::size_t framesWritten() { return fs::exists(output) ? fs::file_size(output) / 4 : 0; }

    fs::path dir, output;
};

TEST_F(RealAudio, AWavFileLoopsByItselfUntilStopped) {
    writeWav(dir / "loop.wav", 0.25);
    auto media = createSystemMedia();
    LauncherState state;
    state.BgmFile = (dir / "loop.wav").string();
    Veyra_BGM bgm(*media, state);
    EXPECT_GE(media->waveOutputDeviceCount(), 1u);
    bgm.PlayWAV();
    // Three times the clip's length heard means it looped.
    ASSERT_TRUE(waitFor([&] { return audibleFrames() > 3 * 0.25 * kRate; }, 5s));
    bgm.StopWAV();
    // What was mixed before the stop may still be on its way to the file: let two buffers pass.
    const std::size_t stopped = framesWritten();
    ASSERT_TRUE(waitFor([&] { return framesWritten() > stopped + 2 * 2048; }, 3s));
    const std::size_t stoppedAt = framesWritten();
    ASSERT_TRUE(waitFor([&] { return framesWritten() > stoppedAt + kRate / 4; }, 3s));
    EXPECT_EQ(audibleFrames(stoppedAt), 0u);
}

TEST_F(RealAudio, AnMp3PlaysIsRestartedByCheckMP3AndStops) {
    fs::create_directories(dir / "my music");
    const fs::path mp3 = dir / "my music" / "曲 1.mp3";  // blanks and non-ASCII must play
    writeMp3(mp3, 0.4);
    auto media = createSystemMedia();
    LauncherState state;
    state.BgmFile = mp3.string();
    Veyra_BGM bgm(*media, state);
    bgm.PlayMP3();
    EXPECT_TRUE(bgm.IsMP3Playing());
    ASSERT_TRUE(waitFor([&] { return !bgm.IsMP3Playing(); }, 3s)) << "the clip ends";
    const std::size_t firstPlay = audibleFrames();
    EXPECT_GT(firstPlay, 0.3 * kRate);
    bgm.CheckMP3();
    EXPECT_TRUE(bgm.IsMP3Playing());
    ASSERT_TRUE(waitFor([&] { return audibleFrames() > firstPlay + 0.3 * kRate; }, 3s));
    bgm.StopMP3();
    EXPECT_FALSE(bgm.IsMP3Playing());
    EXPECT_EQ(bgm.MciStatus("status MP3Play mode"), "Error:263");
}

TEST_F(RealAudio, BadMusicFilesPlayNothingAndNothingBreaks) {
    writeMp3(dir / "good.mp3", 0.3);
    std::ifstream good(dir / "good.mp3", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(good)), {});
    std::ofstream(dir / "empty.mp3").close();
    std::ofstream(dir / "text.mp3") << "this is not audio at all\n";
    std::ofstream(dir / "cut.mp3", std::ios::binary) << bytes.substr(0, 300);
    std::ofstream(dir / "text.wav") << "RIFF but not really";
    struct Case {
        const char* file;
        std::int32_t openCode;
    };
    ASSERT_EQ(mkfifo((dir / "fifo.mp3").c_str(), 0600), 0);
    const Case cases[] = {{"missing.mp3", 275}, {"empty.mp3", 296}, {"text.mp3", -1},
                          {"cut.mp3", -1},      {"text.wav", 296},  {"", 275},
                          {"fifo.mp3", 275},    {"/dev/zero", 275}};
    for (const Case& c : cases) {
        auto media = createSystemMedia();
        LauncherState state;
        state.BgmFile = c.file[0] ? (dir / c.file).string() : "";  // "/dev/zero" stays itself
        Veyra_BGM bgm(*media, state);
        std::string reply;
        const std::int32_t code =
            bgm.SendMci("open \"" + state.BgmFile + "\" type MPEGVideo Alias MP3Play", reply);
        if (c.openCode >= 0) {
            EXPECT_EQ(code, c.openCode) << c.file;
        }
        bgm.SendMci("close MP3Play", reply);
        bgm.PlayMP3();
        for (int tick = 0; tick < 3; ++tick) bgm.CheckMP3();
        bgm.StopMP3();
        bgm.PlayWAV();
        bgm.StopWAV();
    }
}

TEST_F(RealAudio, AWavFileNamedMp3StillPlays) {
    writeWav(dir / "renamed.mp3", 0.3);
    auto media = createSystemMedia();
    LauncherState state;
    state.BgmFile = (dir / "renamed.mp3").string();
    Veyra_BGM bgm(*media, state);
    bgm.PlayMP3();
    EXPECT_TRUE(bgm.IsMP3Playing());
    bgm.StopMP3();
}

TEST_F(RealAudio, WithoutAnyAudioDeviceNothingPlays) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    writeWav(dir / "loop.wav", 0.2);
    auto media = createSystemMedia();
    LauncherState state;
    state.BgmFile = (dir / "loop.wav").string();
    Veyra_BGM bgm(*media, state);
    EXPECT_EQ(media->waveOutputDeviceCount(), 0u);
    bgm.PlayWAV();
    bgm.StopWAV();
    std::string reply;
    EXPECT_EQ(bgm.SendMci("open \"" + state.BgmFile + "\" type MPEGVideo Alias MP3Play", reply),
              277);
}

class CdImage : public RealAudio {
  protected:
    void SetUp() override {
        RealAudio::SetUp();
        writeDisc(dir / "disc.cue", kSectors);
        setenv("ORVELINE_CD", (dir / "disc.cue").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("ORVELINE_CD");
        RealAudio::TearDown();
    }
    // Polls as the run form does until `enough` holds for the current tracks seen before each
    // poll (at most 8 s, as a loaded machine may feed the audio late); returns them.
    std::vector<std::string> poll(
        Veyra_BGM& bgm, const std::function<bool(const std::vector<std::string>&)>& enough) {
        std::vector<std::string> seen;
        const auto until = std::chrono::steady_clock::now() + 8s;
        while (!enough(seen) && std::chrono::steady_clock::now() < until) {
            seen.push_back(bgm.MciStatus("status cdaudio current track"));
            bgm.CheckCD();
            EXPECT_TRUE(bgm.CdReady);
            std::this_thread::sleep_for(200ms);
        }
        return seen;
    }
    static bool hasAfter(const std::vector<std::string>& seen, const char* first,
                         const char* then) {
        const auto found = std::find(seen.begin(), seen.end(), first);
        return found != seen.end() && std::find(found, seen.end(), then) != seen.end();
    }
    static constexpr int kSectors = 30;  // 0.4 s a track
};

TEST_F(CdImage, StatusRepliesAreWellFormed) {
    auto media = createSystemMedia();
    LauncherState state;
    Veyra_BGM bgm(*media, state);
    bgm.OpenCD();
    EXPECT_EQ(bgm.MciStatus("status cdaudio number of tracks"), "3");
    EXPECT_EQ(bgm.MciStatus("status cdaudio current track"), "1");
    EXPECT_EQ(bgm.MciStatus("status cdaudio mode"), "stopped");
    EXPECT_EQ(bgm.MciStatus("status cdaudio position track 2"), "02:00:00:00");
    EXPECT_EQ(bgm.MciStatus("status cdaudio length track 3"), "00:00:30");
    EXPECT_EQ(bgm.MciStatus("status cdaudio position track 4"), "Error:282");
    EXPECT_EQ(bgm.MciPlay("cdaudio", "02:00:00:15", ""), 0);
    EXPECT_EQ(bgm.MciStatus("status cdaudio mode"), "playing");
    EXPECT_THAT(bgm.MciStatus("status cdaudio position"),
                ::testing::MatchesRegex("02:00:00:[0-9][0-9]"));
    bgm.StopCD();
}

TEST_F(CdImage, ATrackIsHeardAsItsSamples) {
    auto media = createSystemMedia();
    LauncherState state;
    Veyra_BGM bgm(*media, state);
    bgm.OpenCD();
    ASSERT_EQ(bgm.MciPlay("cdaudio", "02", "03"), 0);
    ASSERT_TRUE(waitFor([&] { return bgm.MciStatus("status cdaudio mode") == "stopped"; }, 8s));
    EXPECT_EQ(bgm.MciStatus("status cdaudio current track"), "3");
    EXPECT_NEAR(audibleFrames(), kSectors * 588, 588);
    EXPECT_NEAR(heardPitch(), 600, 30);  // track 2's tone
    bgm.StopCD();
}

TEST_F(CdImage, RepeatTrackTwoReturnsToTrackTwoWhenItEnds) {
    auto media = createSystemMedia();
    LauncherState state;
    state.BgmRepeat = 2;
    Veyra_BGM bgm(*media, state);
    bgm.OpenCD();
    // Track 2 runs into track 3, and a poll brings it back.
    const auto seen = poll(bgm, [](const auto& seen) { return hasAfter(seen, "3", "2"); });
    bgm.StopCD();
    EXPECT_TRUE(hasAfter(seen, "3", "2"));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0], "1");  // before the first poll starts it
    EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), "1"), 0);
    EXPECT_GT(audibleFrames(), 0.5 * kRate);
}

TEST_F(CdImage, NoRepeatPlaysOn) {
    auto media = createSystemMedia();
    LauncherState state;
    Veyra_BGM bgm(*media, state);
    bgm.OpenCD();
    const auto seen = poll(bgm, [](const auto& seen) { return hasAfter(seen, "2", "3"); });
    bgm.StopCD();
    EXPECT_TRUE(hasAfter(seen, "2", "3"));
}

TEST_F(CdImage, ARepeatTrackOffTheDiscPlaysNothingAndPollingGoesOn) {
    for (std::int16_t repeat : {std::int16_t{9}, std::int16_t{-1}}) {
        auto media = createSystemMedia();
        LauncherState state;
        state.BgmRepeat = repeat;
        Veyra_BGM bgm(*media, state);
        bgm.OpenCD();
        poll(bgm, [](const auto& seen) { return seen.size() == 3; });  // CdReady every tick
        EXPECT_EQ(bgm.MciStatus("status cdaudio mode"), "stopped") << repeat;
        bgm.StopCD();
    }
    EXPECT_EQ(audibleFrames(), 0u);
}

TEST_F(CdImage, AChangedDiscIsReadAgainAndAnEjectedOneIsNotReady) {
    auto media = createSystemMedia();
    LauncherState state;
    Veyra_BGM bgm(*media, state);
    bgm.OpenCD();
    EXPECT_EQ(bgm.MciStatus("status cdaudio number of tracks"), "3");
    ASSERT_EQ(bgm.MciPlay("cdaudio", "", ""), 0);
    // Another disc, two tracks twice as long, in place of the first (the image driver reads
    // the .bin named like the .cue).
    fs::create_directory(dir / "next");
    writeDisc(dir / "next" / "disc.cue", 2 * kSectors, 2);
    fs::rename(dir / "next" / "disc.bin", dir / "disc.bin");
    fs::rename(dir / "next" / "disc.cue", dir / "disc.cue");
    EXPECT_EQ(bgm.MciStatus("status cdaudio number of tracks"), "2");
    EXPECT_EQ(bgm.MciStatus("status cdaudio length track 2"), "00:00:60");
    EXPECT_EQ(bgm.MciStatus("status cdaudio mode"), "stopped");
    bgm.CheckCD();
    EXPECT_TRUE(bgm.CdReady);
    EXPECT_EQ(bgm.MciStatus("status cdaudio mode"), "playing");
    fs::remove(dir / "disc.cue");
    EXPECT_EQ(bgm.MciStatus("status cdaudio mode"), "not ready");
    bgm.CheckCD();
    EXPECT_FALSE(bgm.CdReady);
    writeDisc(dir / "disc.cue", kSectors);
    EXPECT_EQ(bgm.MciStatus("status cdaudio number of tracks"), "3");
    bgm.StopCD();
}

TEST_F(CdImage, WithoutADiscPollingEnds) {
    setenv("ORVELINE_CD", (dir / "no-such-disc.cue").c_str(), 1);
    auto media = createSystemMedia();
    LauncherState state;
    Veyra_BGM bgm(*media, state);
    std::string reply;
    EXPECT_EQ(bgm.SendMci("open cdaudio", reply), 266);
    bgm.OpenCD();
    bgm.CheckCD();
    EXPECT_FALSE(bgm.CdReady);
}

}  // namespace
}  // namespace orveline
