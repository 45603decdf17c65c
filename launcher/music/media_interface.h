// The media services the music module drives: text commands to a media control interface, its
// error texts, a looping asynchronous WAV player and the count of waveform output devices.
// Windows fills this with winmm; Linux with a command interpreter of our own over SDL and libcdio.
#pragma once

#include <cstdint>
#include <memory>

namespace orveline {

// Flag values of the sound player, as winmm defines them.
constexpr std::uint32_t kSoundAsync = 0x0001;
// A file that cannot be played stays silent instead of sounding the system's default sound.
constexpr std::uint32_t kSoundNoDefault = 0x0002;
constexpr std::uint32_t kSoundLoop = 0x0008;

class MediaInterface {
  public:
    virtual ~MediaInterface() = default;

    // Sends one command text. `reply` may be null when `capacity` is 0; otherwise the reply is
    // written NUL-terminated into at most `capacity` bytes. Returns 0 or an error code.
    virtual std::uint32_t sendCommand(const char* command, char* reply, std::uint32_t capacity) = 0;

    // Writes the description of error `code`, NUL-terminated, into at most `capacity` bytes.
    // Returns false when there is none.
    virtual bool errorText(std::uint32_t code, char* text, std::uint32_t capacity) = 0;

    // Plays the WAV file `file` with the given flags; a null `file` stops any waveform sound.
    virtual bool playSound(const char* file, std::uint32_t flags) = 0;

    // Number of waveform output devices.
    virtual std::uint32_t waveOutputDeviceCount() = 0;
};

// The platform's media services (winmm on Windows, SDL2_mixer and libcdio on Linux).
std::unique_ptr<MediaInterface> createSystemMedia();

}  // namespace orveline
