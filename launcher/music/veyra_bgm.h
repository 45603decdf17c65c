// Module Veyra_BGM: background music of a full-screen run. The audio CD and MP3 files go
// through media command texts, WAV files through the sound player. Every failure is silent:
// a failing command leaves the music off and the run unaffected. No window, no timer: the run
// form calls the check operations from its own timers.
#pragma once

#include <cstdint>
#include <string>

#include "launcher_state.h"
#include "media_interface.h"

namespace orveline {

class Veyra_BGM {
  public:
    // Reads BgmRepeat and BgmFile from `state` at every call; both objects must outlive this one.
    Veyra_BGM(MediaInterface& media, const LauncherState& state) : media_(media), state_(state) {}

    // Audio CD: open the drive; one poll (starts, keeps going or repeats the chosen track);
    // stop and close.
    void OpenCD();
    void CheckCD();
    void StopCD();

    // Music file through the alias MP3Play: open and play; restart when it has ended; stop and
    // close.
    void PlayMP3();
    void CheckMP3();
    void StopMP3();

    // WAV file through the looping sound player.
    void PlayWAV();
    void StopWAV();

    bool IsMP3Playing();
    std::int32_t SendMci(const std::string& command, std::string& text);
    std::string MciStatus(const std::string& command);
    std::int32_t MciPlay(const std::string& device, const std::string& from, const std::string& to);

    bool CdReady = false;  // the last CheckCD found the drive answering
    std::string MciReply;  // reply or error text of the last command sent through SendMci

  private:
    // Sends a command whose reply nobody reads.
    std::uint32_t sendOnly(const char* command);
    // Sends a command and returns its reply up to the first NUL (empty on failure).
    std::string sendForReply(const std::string& command, std::uint32_t capacity);

    MediaInterface& media_;
    const LauncherState& state_;
};

}  // namespace orveline
