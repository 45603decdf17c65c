// Run form Veyra_S: the hidden window "Veyra_Main" of a full-screen run, or of a hosted run inside
// a daemon's window, as its placement says (run_placement.h). It starts the renderer, keeps the
// music going from its timers, watches for the renderer's window "OrvelineVC" and, when that has
// gone (or anyone asks the form to close), stops the music, brings the cursor back for an "S"
// start and ends the process. Portable: the platform and the music come in through interfaces.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "launcher_platform.h"
#include "launcher_state.h"
#include "run_placement.h"

namespace orveline {

// The music operations the run form calls; Veyra_BGM provides them (BgmRunMusic), tests fake them.
class RunMusic {
  public:
    virtual ~RunMusic() = default;
    virtual void OpenCD() = 0;
    virtual void CheckCD() = 0;
    virtual void StopCD() = 0;
    virtual void PlayMP3() = 0;
    virtual void CheckMP3() = 0;
    virtual void StopMP3() = 0;
    virtual void PlayWAV() = 0;
    virtual void StopWAV() = 0;
    virtual bool CdReady() const = 0;
};

// The music file's type: its last three characters, upper-cased ("MP3", "WAV", or anything).
std::string MusicFileType(const std::string& bgmFile);

// How long the watch waits for the renderer's first window, while the renderer runs, before it
// gives the run up.
inline constexpr std::chrono::milliseconds kRendererStartGrace{10000};
// How often a hosted copy without the music lock tries it again.
inline constexpr int kMusicLockRetryMilliseconds = 500;

class Veyra_S {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // The form is created hidden with its placement's title, its timers (all off) and nothing
    // started; Load switches the watch on and runs Form_Load. The platform, state and music
    // outlive it.
    Veyra_S(LauncherPlatform& platform, LauncherState& state, RunMusic& music,
            RunPlacement placement = FullScreenPlacement(),
            Clock now = std::chrono::steady_clock::now);
    Veyra_S(const Veyra_S&) = delete;
    Veyra_S& operator=(const Veyra_S&) = delete;

    void Load();

    void Form_Load();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    // Tries the music lock again; starts the music once it is held.
    void MusicLock_Timer();
    // Ends the process; never returns.
    void Form_QueryUnload();
    // A request from outside to end the run (a termination signal): the renderer ends with the
    // run, whether or not it would outlive the launcher, then Form_QueryUnload.
    void EndRunRequested();

    UiTimer& Timer1() { return *Timer1_; }
    UiTimer& Timer2() { return *Timer2_; }
    UiTimer& Timer3() { return *Timer3_; }
    UiTimer& MusicLockTimer() { return *MusicLock_; }

    std::string RendererPath;

  private:
    void startMusic();
    bool rendererWindowShows();

    LauncherPlatform& platform_;
    LauncherState& state_;
    RunMusic& music_;
    RunPlacement placement_;
    Clock now_;
    std::unique_ptr<HiddenWindow> window_;
    std::unique_ptr<UiTimer> Timer1_;
    std::unique_ptr<UiTimer> Timer2_;
    std::unique_ptr<UiTimer> Timer3_;
    std::unique_ptr<UiTimer> MusicLock_;
    std::unique_ptr<StartedProgram> renderer_;
    bool musicStarted_ = false;
    bool rendererSeen_ = false;
    std::chrono::steady_clock::time_point loadedAt_{};
};

}  // namespace orveline
