#include "veyra_s.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "fake_launcher_platform.h"

namespace orveline {
namespace {

using FakePlatform = test::FakeLauncherPlatform;
using test::ProcessEnded;
using namespace std::chrono_literals;

class RecordingMusic : public RunMusic {
  public:
    void OpenCD() override { calls.push_back("OpenCD"); }
    void CheckCD() override { calls.push_back("CheckCD"); }
    void StopCD() override { calls.push_back("StopCD"); }
    void PlayMP3() override { calls.push_back("PlayMP3"); }
    void CheckMP3() override { calls.push_back("CheckMP3"); }
    void StopMP3() override { calls.push_back("StopMP3"); }
    void PlayWAV() override { calls.push_back("PlayWAV"); }
    void StopWAV() override { calls.push_back("StopWAV"); }
    bool CdReady() const override { return cdReady; }

    std::vector<std::string> calls;
    bool cdReady = true;
};

class RunFormTest : public ::testing::Test {
  protected:
    Veyra_S& load() {
        form_ =
            std::make_unique<Veyra_S>(platform, state, music, placement, [this] { return now; });
        form_->Load();
        return *form_;
    }
    // Runs the close handling as the forms runtime would and reports whether the process ended.
    bool closeEndsProcess(const std::function<void()>& close) {
        try {
            close();
        } catch (const ProcessEnded&) {
            return true;
        }
        return false;
    }

    FakePlatform platform;
    LauncherState state;
    RecordingMusic music;
    RunPlacement placement;
    std::chrono::steady_clock::time_point now{};
    std::unique_ptr<Veyra_S> form_;
};

TEST_F(RunFormTest, LoadStartsTheRendererBesideTheLauncherAndWatchesIt) {
    Veyra_S& form = load();
    EXPECT_EQ(form.RendererPath, "/opt/orveline/Orveline.dll");
    EXPECT_EQ(platform.callsOf("start"),
              std::vector<std::string>{"start /opt/orveline/Orveline.dll|1"});
    ASSERT_EQ(platform.hiddenWindows.count("Veyra_Main"), 1u);
    EXPECT_EQ(form.Timer1().interval(), 1000);
    EXPECT_EQ(form.Timer2().interval(), 200);
    EXPECT_EQ(form.Timer3().interval(), 50);
    EXPECT_TRUE(form.Timer3().enabled());
}

// One row per music setting: what starts at load, which timers run, what stops at the end.
TEST_F(RunFormTest, MusicStartsAndStopsByKindAndFileType) {
    struct Case {
        std::int16_t kind;
        std::string file;
        std::vector<std::string> atLoad;
        bool mp3Timer;
        bool cdTimer;
        std::vector<std::string> atEnd;
    };
    const std::vector<Case> cases = {
        {0, "song.mp3", {}, false, false, {}},
        {1, "", {"OpenCD"}, false, true, {"StopCD"}},
        {2, "song.mp3", {"PlayMP3"}, true, false, {"StopMP3"}},
        {2, "C:\\My Music\\Song.Mp3", {"PlayMP3"}, true, false, {"StopMP3"}},
        {2, "song.WAV", {"PlayWAV"}, false, false, {"StopWAV"}},
        {2, "songwav", {"PlayWAV"}, false, false, {"StopWAV"}},
        {2, "song.mid", {}, false, false, {}},
        {2, "mp3", {"PlayMP3"}, true, false, {"StopMP3"}},
        {2, "", {}, false, false, {}},
        {3, "song.mp3", {}, false, false, {}},
        {-1, "song.wav", {}, false, false, {}},
        {32767, "song.wav", {}, false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " " + c.file);
        platform = FakePlatform{};
        music = RecordingMusic{};
        state = LauncherState{};
        state.BgmKind = c.kind;
        state.BgmFile = c.file;
        Veyra_S& form = load();
        EXPECT_EQ(music.calls, c.atLoad);
        EXPECT_EQ(form.Timer1().enabled(), c.mp3Timer);
        EXPECT_EQ(form.Timer2().enabled(), c.cdTimer);
        EXPECT_EQ(platform.callsOf("start").size(), 1u);

        music.calls.clear();
        EXPECT_TRUE(closeEndsProcess([&] { form.Form_QueryUnload(); }));
        EXPECT_EQ(music.calls, c.atEnd);
        EXPECT_FALSE(form.Timer2().enabled());
    }
}

TEST_F(RunFormTest, MusicTimersCallTheChecks) {
    state.BgmKind = 2;
    state.BgmFile = "song.mp3";
    Veyra_S& form = load();
    music.calls.clear();
    form.Timer1_Timer();
    form.Timer1_Timer();
    EXPECT_EQ(music.calls, (std::vector<std::string>{"CheckMP3", "CheckMP3"}));
    EXPECT_TRUE(form.Timer1().enabled());
}

TEST_F(RunFormTest, FailedCdCheckSwitchesTheCdTimerOffAndCdIsNotStoppedAtTheEnd) {
    state.BgmKind = 1;
    Veyra_S& form = load();
    form.Timer2_Timer();
    EXPECT_TRUE(form.Timer2().enabled());
    music.cdReady = false;
    form.Timer2_Timer();
    EXPECT_FALSE(form.Timer2().enabled());

    music.calls.clear();
    EXPECT_TRUE(closeEndsProcess([&] { form.Form_QueryUnload(); }));
    EXPECT_EQ(music.calls, std::vector<std::string>{});
}

TEST_F(RunFormTest, WatchLooksUpTheRendererByTitleAndKeepsTheRunWhileItIsThere) {
    platform.windows = {"OrvelineVC"};
    Veyra_S& form = load();
    now += 60s;
    for (int i = 0; i < 3; ++i) form.Timer3_Timer();
    EXPECT_EQ(platform.callsOf("find"), std::vector<std::string>(3, "find OrvelineVC"));
    EXPECT_EQ(platform.count("end"), 0u);
    EXPECT_TRUE(form.Timer3().enabled());
}

// The watch ends the run only when a renderer window once seen has gone, when the start-up grace
// has passed without one, or at once when the renderer could not be started or has ended.
TEST_F(RunFormTest, WatchWaitsForTheRenderersFirstWindowUpToTheGraceWhileTheRendererRuns) {
    struct Case {
        const char* name;
        bool started;
        bool running;
        bool seenBefore;
        std::chrono::milliseconds elapsed;
        bool ends;
    };
    const std::vector<Case> cases = {
        {"first tick, window not made yet", true, true, false, 50ms, false},
        {"just before the grace", true, true, false, 9999ms, false},
        {"grace passed without a window", true, true, false, 10000ms, true},
        {"window seen, then gone", true, true, true, 100ms, true},
        {"renderer could not be started", false, false, false, 50ms, true},
        {"renderer ended before making its window", true, false, false, 100ms, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform = FakePlatform{};
        platform.startSucceeds = c.started;
        platform.programRunning = c.running;
        music = RecordingMusic{};
        state = LauncherState{};
        now = {};
        Veyra_S& form = load();
        if (c.seenBefore) {
            platform.windows = {"OrvelineVC"};
            form.Timer3_Timer();
            platform.windows.clear();
        }
        now += c.elapsed;
        EXPECT_EQ(closeEndsProcess([&] { form.Timer3_Timer(); }), c.ends);
        EXPECT_EQ(form.Timer3().enabled(), !c.ends);
    }
}

TEST_F(RunFormTest, WindowOfAnotherTitleDoesNotKeepTheRun) {
    platform.windows = {"OrvelineVC ", "orvelinevc", "Screensaver"};
    Veyra_S& form = load();
    now += 10s;
    EXPECT_TRUE(closeEndsProcess([&] { form.Timer3_Timer(); }));
}

TEST_F(RunFormTest, CloseShowsTheCursorAgainForAnSStart) {
    // With the count at 1 before the run the hide call returned 0: passing that back as the flag
    // would hide the cursor once more.
    for (const std::int32_t before : {0, 1, -1}) {
        SCOPED_TRACE(before);
        platform = FakePlatform{};
        platform.command = "/s";
        platform.cursorCount = before;
        state = LauncherState{};
        state.CursorCount = platform.showCursor(0);
        platform.calls.clear();
        Veyra_S& form = load();
        EXPECT_TRUE(closeEndsProcess([&] { form.Form_QueryUnload(); }));
        EXPECT_EQ(platform.callsOf("showCursor"), std::vector<std::string>{"showCursor 1"});
        EXPECT_EQ(platform.cursorCount, before);
        EXPECT_EQ(state.CursorCount, before);
    }
}

TEST_F(RunFormTest, CloseLeavesTheCursorAloneForAnEmptyCommandLine) {
    platform.command = "";
    Veyra_S& form = load();
    EXPECT_TRUE(closeEndsProcess([&] { form.Form_QueryUnload(); }));
    EXPECT_TRUE(platform.callsOf("showCursor").empty());
    EXPECT_FALSE(state.CursorCount.has_value());
}

TEST_F(RunFormTest, CloseRequestFromElsewhereStopsTheMusicAndEndsWhileTheRendererRuns) {
    state.BgmKind = 2;
    state.BgmFile = "song.wav";
    platform.windows = {"OrvelineVC"};
    load();
    music.calls.clear();
    EXPECT_TRUE(closeEndsProcess([&] { platform.close("Veyra_Main"); }));
    EXPECT_EQ(music.calls, std::vector<std::string>{"StopWAV"});
    EXPECT_EQ(platform.count("end"), 1u);
    EXPECT_EQ(platform.count("stop"), 0u);
}

// A termination signal ends the renderer too, though a full-screen one outlives the launcher.
TEST_F(RunFormTest, EndRunRequestStopsTheRendererAndTheMusic) {
    state.BgmKind = 2;
    state.BgmFile = "song.mp3";
    platform.windows = {"OrvelineVC"};
    Veyra_S& form = load();
    music.calls.clear();
    EXPECT_TRUE(closeEndsProcess([&] { form.EndRunRequested(); }));
    EXPECT_EQ(platform.callsOf("stop"), std::vector<std::string>{"stop"});
    EXPECT_EQ(music.calls, std::vector<std::string>{"StopMP3"});
    EXPECT_EQ(platform.count("end"), 1u);
}

// A hosted placement: its own form title, the renderer inside the host and ending with the run,
// and a watch among the host's children that counts only while our renderer runs.
TEST_F(RunFormTest, HostedPlacementStartsTheRendererInTheHostAndWatchesThere) {
    placement = {"Veyra_Hosted",
                 {"--window-id", "0x2a"},
                 true,
                 RunPlacement::Watch::TitleUnderHost,
                 42,
                 RunPlacement::Music::Never};
    platform.childWindows[42] = {"OrvelineVC"};
    Veyra_S& form = load();
    EXPECT_EQ(platform.hiddenWindows.count("Veyra_Hosted"), 1u);
    EXPECT_EQ(platform.callsOf("start"),
              std::vector<std::string>{"start /opt/orveline/Orveline.dll --window-id 0x2a|1|ends"});
    form.Timer3_Timer();
    EXPECT_EQ(platform.callsOf("find"), std::vector<std::string>{"find OrvelineVC in 42"});
    platform.programRunning = false;  // another copy's window in the same host keeps nothing
    EXPECT_TRUE(closeEndsProcess([&] { form.Timer3_Timer(); }));
}

// The copy that cannot take the music lock tries it again while it runs, and plays once it has
// it; one that never had it stops nothing at its end.
TEST_F(RunFormTest, MusicWaitsForTheLockAndStartsWhenTheHolderHasGone) {
    placement.music = RunPlacement::Music::WhileLockHeld;
    state.BgmKind = 2;
    state.BgmFile = "song.mp3";
    platform.musicLockFree = false;
    Veyra_S& form = load();
    EXPECT_TRUE(music.calls.empty());
    EXPECT_TRUE(form.MusicLockTimer().enabled());
    form.MusicLock_Timer();
    EXPECT_TRUE(music.calls.empty());
    platform.musicLockFree = true;
    form.MusicLock_Timer();
    EXPECT_EQ(music.calls, std::vector<std::string>{"PlayMP3"});
    EXPECT_FALSE(form.MusicLockTimer().enabled());
    EXPECT_TRUE(form.Timer1().enabled());
    EXPECT_TRUE(closeEndsProcess([&] { form.Form_QueryUnload(); }));
    EXPECT_EQ(music.calls, (std::vector<std::string>{"PlayMP3", "StopMP3"}));

    for (const auto kind : {RunPlacement::Music::WhileLockHeld, RunPlacement::Music::Never}) {
        platform = FakePlatform{};
        platform.musicLockFree = false;
        music = RecordingMusic{};
        placement.music = kind;
        Veyra_S& silent = load();
        EXPECT_TRUE(closeEndsProcess([&] { silent.Form_QueryUnload(); }));
        EXPECT_TRUE(music.calls.empty());
    }
}

TEST(MusicFileTypeTest, IsTheLastThreeCharactersUpperCased) {
    EXPECT_EQ(MusicFileType("song.mp3"), "MP3");
    EXPECT_EQ(MusicFileType("a.Wav"), "WAV");
    EXPECT_EQ(MusicFileType("songwav"), "WAV");
    EXPECT_EQ(MusicFileType("ab"), "AB");
    EXPECT_EQ(MusicFileType(""), "");
    EXPECT_EQ(MusicFileType("\x83\x5c.mid"), "MID");
}

}  // namespace
}  // namespace orveline
