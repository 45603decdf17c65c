#include "veyra_s.h"

#include <utility>

#include "veyra_b.h"

namespace orveline {

namespace {

// Resume-next: a step that fails is skipped and the next one runs, with nothing reported.
template <typename Step>
void resumeNext(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

std::string upperCased(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

constexpr int kShowNormal = 1;

}  // namespace

std::string MusicFileType(const std::string& bgmFile) {
    return upperCased(bgmFile.size() > 3 ? bgmFile.substr(bgmFile.size() - 3) : bgmFile);
}

Veyra_S::Veyra_S(LauncherPlatform& platform, LauncherState& state, RunMusic& music,
                 RunPlacement placement, Clock now)
    : platform_(platform),
      state_(state),
      music_(music),
      placement_(std::move(placement)),
      now_(std::move(now)) {
    window_ = platform_.createHiddenWindow(placement_.formTitle, [this] { Form_QueryUnload(); });
    Timer1_ = platform_.createTimer(1000, [this] { Timer1_Timer(); });
    Timer2_ = platform_.createTimer(200, [this] { Timer2_Timer(); });
    Timer3_ = platform_.createTimer(50, [this] { Timer3_Timer(); });
    MusicLock_ = platform_.createTimer(kMusicLockRetryMilliseconds, [this] { MusicLock_Timer(); });
}

void Veyra_S::Load() {
    loadedAt_ = now_();
    Timer3_->setEnabled(true);
    Form_Load();
}

void Veyra_S::Form_Load() {
    resumeNext([&] { RendererPath = orveline::RendererPath(platform_); });
    // The started program is kept only to learn whether the renderer still runs: whether the
    // window the watch waits for can still come, and (in a host) whether the window is ours.
    resumeNext([&] {
        renderer_ = platform_.startProgram(RendererPath, placement_.rendererArguments, kShowNormal,
                                           placement_.rendererEndsWithRun);
    });
    switch (placement_.music) {
        case RunPlacement::Music::Plays:
            startMusic();
            break;
        case RunPlacement::Music::Never:
            break;
        case RunPlacement::Music::WhileLockHeld: {
            bool held = false;
            resumeNext([&] { held = platform_.holdMusicLock(); });
            if (held) {
                startMusic();
            } else {
                resumeNext([&] { MusicLock_->setEnabled(true); });
            }
            break;
        }
    }
}

void Veyra_S::startMusic() {
    musicStarted_ = true;
    if (state_.BgmKind == 1) {
        resumeNext([&] { music_.OpenCD(); });
        resumeNext([&] { Timer2_->setEnabled(true); });
    }
    if (state_.BgmKind == 2) {
        const std::string type = MusicFileType(state_.BgmFile);
        if (type == "WAV") resumeNext([&] { music_.PlayWAV(); });
        if (type == "MP3") {
            resumeNext([&] { music_.PlayMP3(); });
            resumeNext([&] { Timer1_->setEnabled(true); });
        }
    }
}

void Veyra_S::Timer1_Timer() {
    music_.CheckMP3();
}

void Veyra_S::Timer2_Timer() {
    music_.CheckCD();
    Timer2_->setEnabled(music_.CdReady());
}

void Veyra_S::MusicLock_Timer() {
    if (!platform_.holdMusicLock()) return;
    MusicLock_->setEnabled(false);
    startMusic();
}

bool Veyra_S::rendererWindowShows() {
    switch (placement_.watch) {
        case RunPlacement::Watch::TitleUnderHost:
            // Our renderer's window, not one of another copy's in the same host.
            return renderer_ && renderer_->running() &&
                   platform_.childWindowExists(kRendererWindowTitle, placement_.host);
        case RunPlacement::Watch::TitleOnDisplay:
            break;
    }
    return platform_.windowExists(kRendererWindowTitle);
}

void Veyra_S::Timer3_Timer() {
    if (rendererWindowShows()) {
        rendererSeen_ = true;
        return;
    }
    // The first ticks usually come before a renderer that did start has made its window; ending
    // then would leave it running without music. A renderer that has ended makes none.
    if (!rendererSeen_ && renderer_ && renderer_->running() &&
        now_() - loadedAt_ < kRendererStartGrace) {
        return;
    }
    Timer3_->setEnabled(false);
    Form_QueryUnload();
}

void Veyra_S::EndRunRequested() {
    resumeNext([&] {
        if (renderer_) renderer_->stop();
    });
    Form_QueryUnload();
}

void Veyra_S::Form_QueryUnload() {
    resumeNext([&] { MusicLock_->setEnabled(false); });
    resumeNext([&] {
        if (Timer2_->enabled()) {
            Timer2_->setEnabled(false);
            music_.StopCD();
        }
    });
    resumeNext([&] {
        if (state_.BgmKind != 2 || !musicStarted_) return;
        const std::string type = MusicFileType(state_.BgmFile);
        if (type == "WAV") music_.StopWAV();
        if (type == "MP3") music_.StopMP3();
    });
    resumeNext([&] {
        // Shown outright: passing the hide call's count back would hide the cursor once more
        // when that count was 0.
        if (ModeLetter(platform_.commandLine()) == "S")
            state_.CursorCount = platform_.showCursor(1);
    });
    platform_.endProcess();
}

}  // namespace orveline
