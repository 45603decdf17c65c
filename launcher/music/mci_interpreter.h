// A media control interface of our own for platforms that lack one: interprets the command
// texts the music module sends ("open", "set", "status", "play", "stop", "close" for the device
// "cdaudio" and for music files opened under an alias) with the replies, error numbers and
// error texts that the Windows interface gives for them. Playback is the backend's.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "media_backend.h"
#include "media_interface.h"

namespace orveline {

class MciInterpreter : public MediaInterface {
  public:
    explicit MciInterpreter(std::unique_ptr<MediaBackend> backend);
    ~MciInterpreter() override;

    std::uint32_t sendCommand(const char* command, char* reply, std::uint32_t capacity) override;
    bool errorText(std::uint32_t code, char* text, std::uint32_t capacity) override;
    bool playSound(const char* file, std::uint32_t flags) override;
    std::uint32_t waveOutputDeviceCount() override;

  private:
    enum class TimeFormat { Milliseconds, Msf, Tmsf };
    struct Device {
        std::unique_ptr<CdDrive> cd;       // the "cdaudio" device, or
        std::unique_ptr<MusicFile> music;  // a music file
        TimeFormat format = TimeFormat::Milliseconds;
    };
    using Words = std::vector<std::string>;

    std::uint32_t run(const Words& words, std::string& reply);
    std::uint32_t open(const Words& words);
    std::uint32_t close(const Words& words);
    std::uint32_t play(Device& device, const Words& words);
    std::uint32_t status(Device& device, const Words& words, std::string& reply);
    std::uint32_t set(Device& device, const Words& words);
    std::uint32_t cdStatus(Device& device, const Words& words, std::string& reply);
    // Reads a CD position in the device's time format into a sector address.
    std::uint32_t cdPosition(Device& device, const std::vector<DiscTrack>& tracks,
                             const std::string& text, std::int32_t& sector);
    std::string cdPositionText(Device& device, const std::vector<DiscTrack>& tracks,
                               std::int32_t sector);

    std::unique_ptr<MediaBackend> backend_;
    std::map<std::string, Device> devices_;  // by lower-case alias
};

}  // namespace orveline
