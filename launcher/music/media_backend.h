// What the media-command interpreter needs of a platform that has no media control interface:
// a CD drive that reads its table of contents and plays sector ranges, a player for one music
// file, the looping sound player and the output device count.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orveline {

// CD positions are logical sector addresses, 75 sectors to the second; track 1 usually starts
// at 0, which the drive calls 00:02:00 (the two-second lead-in).
struct DiscTrack {
    std::int32_t start = 0;   // first sector
    std::int32_t length = 0;  // sectors
    bool audio = true;
};

class CdDrive {
  public:
    virtual ~CdDrive() = default;
    // Reads the disc's tracks; false when no disc answers (no disc, open tray).
    virtual bool readTracks(std::vector<DiscTrack>& tracks) = 0;
    // Starts playing sectors [from, to) asynchronously; false when no audio output can be had.
    virtual bool play(std::int32_t from, std::int32_t to) = 0;
    virtual void stop() = 0;
    virtual bool playing() = 0;
    // The sector now being heard (where playback stopped when it is not playing).
    virtual std::int32_t position() = 0;
};

class MusicFile {
  public:
    virtual ~MusicFile() = default;
    // Plays from `fromMs`, or from where it stopped when `fromMs` is negative.
    virtual bool play(std::int64_t fromMs) = 0;
    virtual void stop() = 0;
    virtual bool playing() = 0;
};

class MediaBackend {
  public:
    virtual ~MediaBackend() = default;
    // Opens the first CD drive; null with an error code when there is none.
    virtual std::unique_ptr<CdDrive> openCdDrive(std::uint32_t& error) = 0;
    // Opens a music file for playing; null with an error code when it cannot be played.
    virtual std::unique_ptr<MusicFile> openMusicFile(const std::string& path,
                                                     std::uint32_t& error) = 0;
    virtual bool playSound(const char* file, std::uint32_t flags) = 0;
    virtual std::uint32_t waveOutputDeviceCount() = 0;
};

}  // namespace orveline
