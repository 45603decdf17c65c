#include "command.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "recording_surface.h"

namespace orveline {
namespace {

using testing::RecordingSurface;
using SI = StateImage;

const GradientColour kWhite{0xFF00, 0xFF00, 0xFF00};
const GradientColour kLavender{0xC600, 0xC500, 0xD700};

struct Button {
    RecordingSurface surface;
    Command command{surface};
    int clicks = 0;

    Button() {
        command.Click = [this] { ++clicks; };
        command.Enabled();  // first read: enables a button that was never loaded
    }

    // Brings the control into `state` through its own hooks, then the left button down if asked.
    void Reach(int state, bool mouseDown) {
        if (state >= 1) command.Initialize();
        if (state == 2) command.UserControl_MouseMove(0, 0, 10, 10);
        if (state == 3 || state == 4) command.UserControl_GotFocus();
        if (state == 4) command.UserControl_MouseMove(0, 0, 10, 10);
        if (mouseDown) command.UserControl_MouseDown(1, 0, 10, 10);
        surface.Forget();
    }
};

enum class Hook {
    GotFocus,
    LostFocus,
    LeftDown,
    RightDown,
    Move,
    LeftUp,
    RightUp,
    MiddleUp,
    TimerOutside,
    TimerOverParent,
    TimerInside
};

void RunHook(Button& b, Hook hook) {
    Command& c = b.command;
    switch (hook) {
        case Hook::GotFocus:
            c.UserControl_GotFocus();
            break;
        case Hook::LostFocus:
            c.UserControl_LostFocus();
            break;
        case Hook::LeftDown:
            c.UserControl_MouseDown(1, 0, 5, 5);
            break;
        case Hook::RightDown:
            c.UserControl_MouseDown(2, 0, 5, 5);
            break;
        case Hook::Move:
            c.UserControl_MouseMove(0, 0, 5, 5);
            break;
        case Hook::LeftUp:
            c.UserControl_MouseUp(1, 0, 5, 5);
            break;
        case Hook::RightUp:
            c.UserControl_MouseUp(2, 0, 5, 5);
            break;
        case Hook::MiddleUp:
            c.UserControl_MouseUp(4, 0, 5, 5);
            break;
        case Hook::TimerOutside:
            b.surface.pointer = PointerPlace::OtherWindow;
            c.TmrMouse_Timer();
            break;
        case Hook::TimerOverParent:
            b.surface.pointer = PointerPlace::ParentForm;
            c.TmrMouse_Timer();
            break;
        case Hook::TimerInside:
            b.surface.pointer = PointerPlace::OwnWindow;
            c.TmrMouse_Timer();
            break;
    }
}

struct Row {
    Hook hook;
    int state;
    bool mouseDown;
    int stateAfter;
    bool mouseDownAfter;
    std::vector<SI> drawn;
    bool click;
};

// The control's state table: every hook from every state, with and without the left button held.
const std::vector<Row> kStateTable = {
    // Focus arrives: Selected, or Pressed when the pointer is already over the button.
    {Hook::GotFocus, 0, false, 3, false, {SI::Selected}, false},
    {Hook::GotFocus, 1, false, 3, false, {SI::Selected}, false},
    {Hook::GotFocus, 2, false, 4, false, {SI::Pressed}, false},
    {Hook::GotFocus, 2, true, 4, true, {SI::Pressed}, false},
    {Hook::GotFocus, 3, false, 3, false, {SI::Selected}, false},
    {Hook::GotFocus, 4, false, 3, false, {SI::Selected}, false},
    // Focus leaves: back to Normal unless already there.
    {Hook::LostFocus, 0, false, 1, false, {SI::Normal}, false},
    {Hook::LostFocus, 1, false, 1, false, {}, false},
    {Hook::LostFocus, 2, false, 1, false, {SI::Normal}, false},
    {Hook::LostFocus, 3, true, 1, true, {SI::Normal}, false},
    {Hook::LostFocus, 4, false, 1, false, {SI::Normal}, false},
    // A left press draws Pressed and leaves State; other buttons are ignored.
    {Hook::LeftDown, 0, false, 0, true, {SI::Pressed}, false},
    {Hook::LeftDown, 1, false, 1, true, {SI::Pressed}, false},
    {Hook::LeftDown, 2, false, 2, true, {SI::Pressed}, false},
    {Hook::LeftDown, 3, false, 3, true, {SI::Pressed}, false},
    {Hook::LeftDown, 4, false, 4, true, {SI::Pressed}, false},
    {Hook::RightDown, 1, false, 1, false, {}, false},
    {Hook::RightDown, 4, false, 4, false, {}, false},
    // Pointer moves: hover from Normal, and from Selected only without a held left button.
    {Hook::Move, 0, false, 0, false, {}, false},
    {Hook::Move, 1, false, 2, false, {SI::HighLight}, false},
    {Hook::Move, 1, true, 2, true, {SI::HighLight}, false},
    {Hook::Move, 2, false, 2, false, {}, false},
    {Hook::Move, 3, false, 4, false, {SI::HighLightSelect}, false},
    {Hook::Move, 3, true, 3, true, {}, false},
    {Hook::Move, 4, false, 4, false, {}, false},
    // Left release: Click unless Selected; State 2 draws Normal, State 4 HighLightSelect.
    {Hook::LeftUp, 0, true, 0, false, {}, true},
    {Hook::LeftUp, 1, true, 1, false, {}, true},
    {Hook::LeftUp, 2, true, 2, false, {SI::Normal}, true},
    {Hook::LeftUp, 3, true, 3, false, {}, false},
    {Hook::LeftUp, 4, true, 4, false, {SI::HighLightSelect}, true},
    {Hook::LeftUp, 2, false, 2, false, {SI::Normal}, true},
    // Right and middle releases click as well and leave the held flag alone.
    {Hook::RightUp, 1, false, 1, false, {}, true},
    {Hook::RightUp, 2, true, 2, true, {}, true},
    {Hook::RightUp, 3, false, 3, false, {}, false},
    {Hook::MiddleUp, 4, false, 4, false, {}, true},
    {Hook::MiddleUp, 0, false, 0, false, {}, true},
    // Pointer seen outside (another window or the form itself) leaves the hover states.
    {Hook::TimerOutside, 0, false, 0, false, {}, false},
    {Hook::TimerOutside, 1, false, 1, false, {}, false},
    {Hook::TimerOutside, 2, false, 1, false, {SI::Normal}, false},
    {Hook::TimerOutside, 3, false, 3, false, {}, false},
    {Hook::TimerOutside, 4, false, 3, false, {SI::Selected}, false},
    {Hook::TimerOutside, 4, true, 3, true, {SI::Selected}, false},
    {Hook::TimerOverParent, 2, false, 1, false, {SI::Normal}, false},
    {Hook::TimerOverParent, 4, false, 3, false, {SI::Selected}, false},
    {Hook::TimerInside, 2, false, 2, false, {}, false},
    {Hook::TimerInside, 4, true, 4, true, {}, false},
};

TEST(CommandStateTable, EveryHookFromEveryStateWhileEnabled) {
    for (const Row& row : kStateTable) {
        SCOPED_TRACE("hook " + std::to_string(static_cast<int>(row.hook)) + " from state " +
                     std::to_string(row.state) + (row.mouseDown ? " held" : ""));
        Button b;
        b.Reach(row.state, row.mouseDown);
        ASSERT_EQ(b.command.State(), row.state);
        RunHook(b, row.hook);
        EXPECT_EQ(b.command.State(), row.stateAfter);
        EXPECT_EQ(b.command.MouseIsDown(), row.mouseDownAfter);
        EXPECT_EQ(b.surface.faces, row.drawn);
        EXPECT_EQ(b.clicks, row.click ? 1 : 0);
    }
}

TEST(CommandStateTable, DisabledButtonIgnoresEveryHook) {
    for (const Row& row : kStateTable) {
        Button b;
        b.Reach(row.state, row.mouseDown);
        b.command.Enabled(false);
        b.surface.Forget();
        RunHook(b, row.hook);
        EXPECT_EQ(b.command.State(), row.state);
        EXPECT_EQ(b.command.MouseIsDown(), row.mouseDown);
        EXPECT_TRUE(b.surface.faces.empty());
        EXPECT_EQ(b.clicks, 0);
    }
}

TEST(CommandStateTable, ReenablingDrawsNormalAndKeepsTheOldState) {
    Button b;
    b.Reach(4, true);
    b.command.Enabled(false);
    EXPECT_EQ(b.surface.faces, std::vector<SI>{SI::Disable});
    EXPECT_FALSE(b.surface.caption.Enabled);
    b.command.Enabled(true);
    EXPECT_EQ(b.surface.faces.back(), SI::Normal);
    EXPECT_TRUE(b.surface.caption.Enabled);
    EXPECT_EQ(b.command.State(), 4);
    EXPECT_TRUE(b.command.MouseIsDown());
    EXPECT_EQ(b.surface.changedKeys, (std::vector<std::string>{"Enabled", "Enabled"}));
}

// Whole gestures, as the platform delivers them.
TEST(CommandGestures, LeftClickOnUnfocusedButton) {
    Button b;
    b.Reach(1, false);
    b.command.UserControl_MouseMove(0, 0, 1, 1);
    EXPECT_EQ(b.surface.gradientTops.back(), kLavender);  // hover turns the gradient over
    b.command.UserControl_GotFocus();                     // the press gives the focus first
    b.command.UserControl_MouseDown(1, 0, 1, 1);
    b.command.UserControl_MouseUp(1, 0, 1, 1);
    EXPECT_EQ(b.surface.faces,
              (std::vector<SI>{SI::HighLight, SI::Pressed, SI::Pressed, SI::HighLightSelect}));
    EXPECT_EQ(b.surface.gradientTops.back(), kLavender);
    EXPECT_EQ(b.command.State(), 4);
    EXPECT_EQ(b.clicks, 1);
}

TEST(CommandGestures, FocusFirstThenHoverKeepsWhiteAtTheTop) {
    Button b;
    b.Reach(1, false);
    b.command.UserControl_GotFocus();
    b.command.UserControl_MouseMove(0, 0, 1, 1);
    EXPECT_EQ(b.surface.faces, (std::vector<SI>{SI::Selected, SI::HighLightSelect}));
    EXPECT_EQ(b.surface.gradientTops.back(), kWhite);
    EXPECT_FALSE(b.command.ReverseGradient());
}

TEST(CommandGestures, PressLeaveForATickAndReleaseRaisesNoClick) {
    Button b;
    b.Reach(4, true);
    RunHook(b, Hook::TimerOutside);
    b.command.UserControl_MouseMove(1, 0, 1, 1);  // back over the button, still held
    b.command.UserControl_MouseUp(1, 0, 1, 1);
    EXPECT_EQ(b.clicks, 0);
    EXPECT_EQ(b.surface.faces.back(), SI::Selected);
    b.command.UserControl_MouseMove(0, 0, 1, 1);  // next move: hover again
    EXPECT_EQ(b.surface.faces.back(), SI::HighLightSelect);
}

TEST(CommandGestures, PressLeaveAndReleaseBeforeATickClicks) {
    Button b;
    b.Reach(4, true);
    b.command.UserControl_MouseMove(1, 0, -50, -50);
    b.command.UserControl_MouseUp(1, 0, -50, -50);
    EXPECT_EQ(b.clicks, 1);
}

TEST(CommandGestures, LeftReleaseInHighLightStaysNormalUntilThePointerLeavesAndReturns) {
    Button b;
    b.Reach(2, true);
    b.command.UserControl_MouseUp(1, 0, 1, 1);
    b.command.UserControl_MouseMove(0, 0, 1, 1);
    EXPECT_EQ(b.surface.faces, std::vector<SI>{SI::Normal});
    RunHook(b, Hook::TimerOutside);
    b.command.UserControl_MouseMove(0, 0, 1, 1);
    EXPECT_EQ(b.surface.faces.back(), SI::HighLight);
}

TEST(CommandGestures, ButtonNeverInitializedHasNoHoverButStillClicks) {
    Button b;
    b.Reach(0, false);
    EXPECT_EQ(b.surface.timerInterval, 0);
    b.command.UserControl_MouseMove(0, 0, 1, 1);
    EXPECT_TRUE(b.surface.faces.empty());
    b.command.UserControl_GotFocus();
    EXPECT_EQ(b.surface.faces, std::vector<SI>{SI::Selected});
    b.command.UserControl_LostFocus();
    b.command.UserControl_MouseDown(1, 0, 1, 1);
    b.command.UserControl_MouseUp(1, 0, 1, 1);
    EXPECT_EQ(b.clicks, 1);
}

TEST(CommandGestures, InitializeStartsTheHundredMillisecondPoll) {
    Button b;
    b.command.Initialize();
    EXPECT_EQ(b.command.State(), 1);
    EXPECT_EQ(b.surface.timerInterval, 100);
}

TEST(CommandGestures, ClickHandlerMayReplaceItselfWhileRunning) {
    Button b;
    b.Reach(1, true);
    int later = 0;
    b.command.Click = [&] { b.command.Click = [&] { ++later; }; };
    b.command.UserControl_MouseUp(1, 0, 0, 0);
    b.command.UserControl_MouseUp(2, 0, 0, 0);
    EXPECT_EQ(later, 1);
}

TEST(CommandGestures, CaptionForwardsItsMouseHooks) {
    Button b;
    b.Reach(1, false);
    b.command.LblMsg_MouseMove(0, 0, 1, 1);
    b.command.LblMsg_MouseDown(1, 0, 1, 1);
    b.command.LblMsg_MouseUp(1, 0, 1, 1);
    EXPECT_EQ(b.surface.faces, (std::vector<SI>{SI::HighLight, SI::Pressed, SI::Normal}));
    EXPECT_EQ(b.clicks, 1);
}

// Each face is the gradient under eight frame pieces, whatever the state drawn.
TEST(CommandPaint, DrawingOrderIsClearGradientPiecesRefresh) {
    Button b;
    b.Reach(1, false);
    b.command.UserControl_GotFocus();
    std::vector<std::string> expected = {"clear", "gradient", "refresh"};
    expected.insert(expected.end(), 8, "piece");
    expected.push_back("refresh");
    EXPECT_EQ(b.surface.calls, expected);
}

TEST(CommandPaint, PiecesOfAStandardButton) {
    auto pieces = FramePieces(1095, 375);
    const std::vector<TwipsRect> destinations = {
        {1, 1, 60, 60},      {60, 1, 975, 60},   {1035, 1, 60, 60}, {1035, 60, 60, 255},
        {1035, 315, 60, 60}, {60, 315, 975, 60}, {1, 315, 60, 60},  {1, 60, 60, 255},
    };
    const std::vector<TwipsRect> sources = {
        {0, 0, 60, 60},     {60, 1, 840, 60},   {900, 1, 60, 60}, {900, 60, 60, 255},
        {900, 315, 60, 60}, {60, 315, 840, 60}, {0, 315, 60, 60}, {1, 60, 60, 255},
    };
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(pieces[i].Destination, destinations[i]) << "piece " << i;
        EXPECT_EQ(pieces[i].Source, sources[i]) << "piece " << i;
    }
}

TEST(CommandPaint, LowButtonShrinksTheSidesAndLiftsTheCaption) {
    struct Case {
        int height;
        int sideHeight;
        int bottom;
        float captionTop;
    };
    for (const Case& c : {Case{375, 255, 315, 80.0f}, Case{315, 195, 255, 50.0f}}) {
        Button b;
        b.surface.width = 435;
        b.surface.height = c.height;
        b.Reach(1, false);
        b.command.UserControl_Resize();
        ASSERT_EQ(b.surface.pieces.size(), 8u);
        EXPECT_EQ(b.surface.pieces[3].Destination, (TwipsRect{375, 60, 60, c.sideHeight}));
        EXPECT_EQ(b.surface.pieces[7].Destination, (TwipsRect{1, 60, 60, c.sideHeight}));
        EXPECT_EQ(b.surface.pieces[5].Destination, (TwipsRect{60, c.bottom, 315, 60}));
        EXPECT_FLOAT_EQ(b.surface.caption.Top, c.captionTop);
        EXPECT_EQ(b.surface.caption.Width, 435);
        EXPECT_EQ(b.surface.caption.Left, 0);
        EXPECT_EQ(b.surface.caption.Height, 195);
    }
}

TEST(CommandPaint, ButtonNarrowerThanTheFrameDrawsOnlyItsCorners) {
    Button b;
    b.surface.width = 90;
    b.surface.height = 100;
    b.Reach(1, false);
    b.command.UserControl_Resize();
    EXPECT_EQ(b.surface.pieces.size(), 4u);
}

TEST(CommandPaint, PiecesInPixelsFallOnTheImageBlocks) {
    auto pieces = FramePieces(1095, 375);
    // top-right corner: image pixels 60..63 of rows 0..3 into the control's last 4 columns.
    EXPECT_EQ(TwipsToPixels(pieces[2].Source.X), 60);
    EXPECT_EQ(TwipsToPixels(pieces[2].Destination.X), 69);
    EXPECT_EQ(TwipsToPixels(pieces[1].Destination.Width), 65);
    EXPECT_EQ(TwipsToPixels(pieces[3].Source.Height), 17);
    EXPECT_EQ(TwipsToPixels(pieces[7].Destination.X), 0);
}

TEST(CommandGradient, LiteralsAreReadAsRedGreenBlue) {
    EXPECT_EQ(GradientLiteral("&HC6C5D7"), kLavender);
    EXPECT_EQ(GradientLiteral("&HFFFFFF"), kWhite);
}

TEST(CommandGradient, RowsRunFromTheTopVertexTowardsTheBottomOne) {
    // 25 rows: row 0 is the top colour, row 24 would be the bottom one, each channel linear.
    EXPECT_EQ(GradientRowColour(kWhite, kLavender, 0, 25), 0xFFFFFFu);
    EXPECT_EQ(GradientRowColour(kWhite, kLavender, 24, 25), 0xD7C5C6u);
    EXPECT_EQ(GradientRowColour(kWhite, kLavender, 12, 25), 0xEBE2E2u);
    EXPECT_EQ(GradientRowColour(kLavender, kWhite, 0, 25), 0xD7C5C6u);
    EXPECT_EQ(GradientRowColour(kWhite, kLavender, 0, 1), 0xFFFFFFu);
}

TEST(CommandGradient, OrientationFollowsTheStateAtDrawingTime) {
    Button b;
    b.Reach(2, false);
    b.command.Enabled(false);  // Disable drawn in State 2: lavender grey at the top
    EXPECT_EQ(b.surface.gradientTops.back(), kLavender);
    b.command.Enabled(true);
    b.surface.Forget();
    b.command.UserControl_LostFocus();  // State 1: white
    EXPECT_EQ(b.surface.gradientTops.back(), kWhite);
}

TEST(CommandProperties, FirstReadOfEnabledInitialisesAFreshButton) {
    RecordingSurface surface;
    Command command(surface);
    EXPECT_EQ(command.FirstRun(), 0);
    EXPECT_FALSE(command.EnabledValue());
    EXPECT_TRUE(command.Enabled());
    EXPECT_EQ(command.FirstRun(), 1);
    EXPECT_EQ(surface.faces, std::vector<SI>{SI::Normal});
    EXPECT_TRUE(surface.caption.Enabled);
}

TEST(CommandProperties, WritesReportTheirKey) {
    Button b;
    b.surface.Forget();
    b.command.Caption("設定");
    b.command.Font(std::make_shared<CaptionFont>());
    b.command.FontColour(0xFF);
    b.command.Visible(0);
    EXPECT_EQ(b.surface.changedKeys,
              (std::vector<std::string>{"Caption", "Font", "FontColour", "Visible"}));
    EXPECT_EQ(b.surface.caption.Text, "設定");
    EXPECT_EQ(b.surface.caption.Colour, 0xFFu);
}

TEST(CommandProperties, FontIsSharedByReference) {
    Button b;
    auto font = std::make_shared<CaptionFont>();
    b.command.Font(font);
    font->Weight = 700;
    EXPECT_EQ(b.command.Font()->Weight, 700);
}

TEST(CommandProperties, VisibleHidesTheFaceAndRedrawsItWhenShownAgain) {
    Button b;
    b.command.Visible(0);
    EXPECT_FALSE(b.surface.opaque);
    EXPECT_EQ(b.command.Visible(), 0);
    b.surface.Forget();
    b.command.Visible(1);
    EXPECT_TRUE(b.surface.opaque);
    EXPECT_EQ(b.surface.faces, std::vector<SI>{SI::Normal});
    EXPECT_EQ(b.command.Visible(), 255);
}

TEST(CommandProperties, ResetFaceBlackensTheCaptionWhileFirstRunIsZero) {
    RecordingSurface surface;
    Command command(surface);
    PropertyStore store;
    store.WriteProperty("FirstRun", std::int32_t{0}, std::string("1"));
    store.WriteProperty("FontColour", std::int32_t{0xFF}, std::string("0"));
    command.UserControl_ReadProperties(store);
    EXPECT_EQ(command.LblMsg().Colour, 0u);  // the final ResetFace of the read
}

}  // namespace
}  // namespace orveline
