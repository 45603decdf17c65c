// Windows media services: winmm's media control interface, its error texts, the system sound
// player and the waveform output count, passed through unchanged.
#include <windows.h>
// mmsystem.h needs windows.h first.
#include <mmsystem.h>

#include "media_interface.h"

namespace orveline {
namespace {

static_assert(kSoundAsync == SND_ASYNC && kSoundNoDefault == SND_NODEFAULT &&
              kSoundLoop == SND_LOOP);

class WinmmMedia : public MediaInterface {
  public:
    std::uint32_t sendCommand(const char* command, char* reply, std::uint32_t capacity) override {
        return mciSendStringA(command, reply, capacity, nullptr);
    }

    bool errorText(std::uint32_t code, char* text, std::uint32_t capacity) override {
        return mciGetErrorStringA(code, text, capacity) != FALSE;
    }

    bool playSound(const char* file, std::uint32_t flags) override {
        return PlaySoundA(file, nullptr, flags) != FALSE;
    }

    std::uint32_t waveOutputDeviceCount() override { return waveOutGetNumDevs(); }
};

}  // namespace

std::unique_ptr<MediaInterface> createSystemMedia() {
    return std::make_unique<WinmmMedia>();
}

}  // namespace orveline
