#include "saver_stages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gl_recorder.h"

namespace orveline {
namespace {

// Records what the stages ask of the platform.
class FakePlatform final : public RendererPlatform {
  public:
    CursorPosition cursor{100, 100};
    int hides = 0, closesPosted = 0, contextsCreated = 0, contextsReleased = 0, presents = 0;
    int quitCode = -1;
    int passwordAnswer = 1;
    int passwordChecks = 0;
    bool dialogUpDuringCheck = false;
    std::vector<std::string> titles;
    std::vector<MessageKind> defaults;
    GlRecorder recorder;

    CursorPosition cursorPosition() override { return cursor; }
    void hideCursor() override { ++hides; }
    void postClose() override { ++closesPosted; }
    void postQuit(int code) override { quitCode = code; }
    void setWindowTitle(const char* title) override { titles.push_back(title); }
    int verifyPassword(RendererState& state) override {
        ++passwordChecks;
        state.passwordDialogUp = true;
        dialogUpDuringCheck = true;
        state.passwordDialogUp = false;
        return passwordAnswer;
    }
    MessageResult defaultHandling(const WindowMessage& m) override {
        defaults.push_back(m.kind);
        return 0;
    }
    std::uint32_t calendarTime() override { return 1234; }
    ClientRect createContext() override {
        ++contextsCreated;
        return ClientRect{0, 0, 1920, 1080};
    }
    void releaseContext() override { ++contextsReleased; }
    const GlApi& gl() override { return recorder.api(); }
    void present() override { ++presents; }
};

WindowMessage msg(MessageKind kind, bool flag = false) {
    WindowMessage m;
    m.kind = kind;
    m.flag = flag;
    return m;
}

WindowMessage sysCommand(SystemCommand command) {
    WindowMessage m = msg(MessageKind::SysCommand);
    m.command = command;
    return m;
}

class SaverStages : public ::testing::Test {
  protected:
    void SetUp() override { send(msg(MessageKind::Create)); }
    MessageResult send(const WindowMessage& m) { return screenSaverProc(state, platform, m); }
    void moveTo(int x, int y) {
        platform.cursor = {x, y};
        send(msg(MessageKind::MouseMove));
    }
    // The Close that a posted request would deliver; true when it destroyed the window.
    bool deliverClose() {
        const std::size_t before = platform.defaults.size();
        send(msg(MessageKind::Close));
        return platform.defaults.size() > before && platform.defaults.back() == MessageKind::Close;
    }

    FakePlatform platform;
    RendererState state;
};

TEST_F(SaverStages, CreationSetsUpEverythingAndRetitlesTheWindow) {
    EXPECT_EQ(state.lastCursorPos.x, 100);
    EXPECT_EQ(platform.hides, 1);
    EXPECT_EQ(platform.titles, std::vector<std::string>{"OrvelineVC"});
    EXPECT_EQ(platform.contextsCreated, 1);
    EXPECT_TRUE(state.renderReady);
    EXPECT_EQ(state.desk.primary().settings.particleCount, 3000);
    EXPECT_EQ(state.desk.primary().settings.geometry, GEOMETRY_LINES);
    EXPECT_EQ(state.desk.primary().settings.blur, 90);
    ASSERT_EQ(state.desk.primary().fields().size(), 1u);
    EXPECT_EQ(state.desk.primary().fields()[0].emitters().size(), 300u);
    EXPECT_EQ(platform.defaults, std::vector<MessageKind>{MessageKind::Create});
    // Seeded with the calendar time, five numbers discarded, then the field's draws.
    RandomGenerator random;
    random.seed(1234);
    for (int i = 0; i < 5; ++i) random.next();
    const WindField expected(state.desk.primary().settings, random);
    EXPECT_EQ(state.desk.primary().fields()[0].emitters()[0].x, expected.emitters()[0].x);
}

TEST_F(SaverStages, IdleFramesDrawOnlyWhileReadyAndNoPasswordDialogShows) {
    idleFrame(state, platform);
    EXPECT_EQ(platform.presents, 1);
    state.passwordDialogUp = true;
    idleFrame(state, platform);
    EXPECT_EQ(platform.presents, 1);
    state.passwordDialogUp = false;
    state.renderReady = false;
    idleFrame(state, platform);
    EXPECT_EQ(platform.presents, 1);
}

TEST_F(SaverStages, CloseBeforeAnyInputIsIgnored) {
    EXPECT_EQ(send(msg(MessageKind::Close)), 0);
    EXPECT_EQ(platform.passwordChecks, 0);
    EXPECT_EQ(platform.defaults.size(), 1u);  // only the creation's
    EXPECT_TRUE(state.renderReady);
}

TEST_F(SaverStages, FirstMouseMoveNeverClosesHoweverFar) {
    moveTo(900, 700);
    EXPECT_TRUE(state.firstMoveSeen);
    EXPECT_FALSE(state.closeRequested);
    EXPECT_EQ(platform.closesPosted, 1);  // posted, but the close is ignored
    EXPECT_FALSE(deliverClose());
    EXPECT_EQ(state.lastCursorPos.x, 100);  // a far move keeps the old reference
}

TEST_F(SaverStages, MovesUpToFourPixelsKeepRunningAndFiveClose) {
    const struct {
        int dx, dy;
        bool closes;
    } cases[] = {{4, 0, false}, {0, -4, false}, {2, 2, false}, {-3, 1, false},
                 {5, 0, true},  {3, -2, true},  {0, 5, true},  {100, 100, true}};
    for (const auto& c : cases) {
        FakePlatform platform;
        RendererState state;
        screenSaverProc(state, platform, msg(MessageKind::Create));
        screenSaverProc(state, platform, msg(MessageKind::MouseMove));  // the first move
        platform.cursor = {100 + c.dx, 100 + c.dy};
        screenSaverProc(state, platform, msg(MessageKind::MouseMove));
        EXPECT_TRUE(state.closeRequested);
        EXPECT_EQ(platform.closesPosted, c.closes ? 1 : 0) << c.dx << "," << c.dy;
        EXPECT_EQ(state.lastCursorPos.x, c.closes ? 100 : 100 + c.dx);
        EXPECT_EQ(state.lastCursorPos.y, c.closes ? 100 : 100 + c.dy);
    }
}

TEST_F(SaverStages, SmallMovesNeverAddUpToAClose) {
    moveTo(100, 100);
    for (int step = 1; step <= 20; ++step) moveTo(100 + 3 * step, 100);
    EXPECT_EQ(platform.closesPosted, 0);
    EXPECT_EQ(state.lastCursorPos.x, 160);
}

TEST_F(SaverStages, KeysButtonsAndLossOfActivationRequestAClose) {
    const WindowMessage requests[] = {
        msg(MessageKind::KeyDown),     msg(MessageKind::SysKeyDown),
        msg(MessageKind::LButtonDown), msg(MessageKind::RButtonDown),
        msg(MessageKind::MButtonDown), msg(MessageKind::ActivateApp, false)};
    for (const WindowMessage& m : requests) {
        FakePlatform platform;
        RendererState state;
        screenSaverProc(state, platform, msg(MessageKind::Create));
        screenSaverProc(state, platform, m);
        EXPECT_TRUE(state.closeRequested) << int(m.kind);
        EXPECT_EQ(platform.closesPosted, 1) << int(m.kind);
        EXPECT_EQ(platform.defaults.back(), m.kind) << "the cause gets default handling";
    }
}

TEST_F(SaverStages, OtherInputDoesNotEndTheSaver) {
    send(msg(MessageKind::ActivateApp, true));
    send(msg(MessageKind::Other));  // button releases, wheel, characters
    send(msg(MessageKind::ShowWindow, false));
    EXPECT_FALSE(state.closeRequested);
    EXPECT_EQ(platform.closesPosted, 0);
}

TEST_F(SaverStages, RequestedCloseDestroysWhenThePasswordCheckAllows) {
    send(msg(MessageKind::KeyDown));
    EXPECT_TRUE(deliverClose());
    EXPECT_EQ(platform.passwordChecks, 1);
    // The platform's default handling destroys the window, which comes back as Destroy.
    send(msg(MessageKind::Destroy));
    EXPECT_EQ(platform.quitCode, 0);
    EXPECT_EQ(platform.contextsReleased, 1);
    EXPECT_FALSE(state.desk.hasFields());
    EXPECT_FALSE(state.renderReady);
    platform.recorder.clear();
    idleFrame(state, platform);
    EXPECT_TRUE(platform.recorder.calls().empty()) << "no frame after the window is gone";
}

TEST_F(SaverStages, RefusedPasswordKeepsRunningWithAFreshCursorReference) {
    platform.passwordAnswer = 0;
    moveTo(100, 100);
    moveTo(150, 100);  // requests a close
    platform.cursor = {160, 120};
    EXPECT_FALSE(deliverClose());
    EXPECT_EQ(state.lastCursorPos.x, 160);
    EXPECT_EQ(state.lastCursorPos.y, 120);
    EXPECT_TRUE(state.closeRequested);
    // The next input asks again at once.
    platform.passwordAnswer = 1;
    send(msg(MessageKind::KeyDown));
    EXPECT_TRUE(deliverClose());
    EXPECT_EQ(platform.passwordChecks, 2);
}

TEST_F(SaverStages, WhilePasswordDialogShowsInputGoesToDefaultHandling) {
    state.passwordDialogUp = true;
    send(msg(MessageKind::KeyDown));
    send(msg(MessageKind::SetCursor));
    moveTo(500, 500);
    moveTo(900, 900);
    EXPECT_FALSE(state.closeRequested);
    EXPECT_FALSE(state.firstMoveSeen);
    EXPECT_EQ(platform.closesPosted, 0);
    EXPECT_EQ(platform.defaults.size(), 5u);
    // A close already queued is still handled first.
    state.closeRequested = true;
    EXPECT_TRUE(deliverClose());
}

TEST_F(SaverStages, CursorStaysHidden) {
    const int before = platform.hides;
    EXPECT_EQ(send(msg(MessageKind::SetCursor)), 1);
    send(msg(MessageKind::ShowWindow, true));
    EXPECT_EQ(platform.hides, before + 2);
    EXPECT_EQ(platform.defaults.back(), MessageKind::ShowWindow);
}

TEST_F(SaverStages, WindowSwitchingAndTheSystemSaverAreRefused) {
    for (SystemCommand c :
         {SystemCommand::NextWindow, SystemCommand::PrevWindow, SystemCommand::ScreenSave}) {
        EXPECT_EQ(send(sysCommand(c)), 0);
    }
    EXPECT_EQ(platform.defaults.size(), 1u);
    send(sysCommand(SystemCommand::Other));
    EXPECT_EQ(platform.defaults.back(), MessageKind::SysCommand);
}

}  // namespace
}  // namespace orveline
