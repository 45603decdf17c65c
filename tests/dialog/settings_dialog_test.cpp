#include "settings_dialog.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "dialog_layout.h"
#include "fake_dialog_platform.h"
#include "launcher_state.h"
#include "recording_surface.h"
#include "veyra_b.h"

namespace orveline {
namespace {

using testing::RecordingSurface;

struct FakeButton {
    RecordingSurface surface;
    Command command{surface};
    explicit FakeButton(const std::string& caption) {
        PropertyStore saved;  // the form's saved layout: only the caption differs
        saved.WriteProperty("Caption", caption, std::string("Command1"));
        command.UserControl_ReadProperties(saved);
        command.UserControl_Resize();
    }
};

struct FakeView : SettingsDialogView {
    FakeButton cmdBgm{"..."}, cmdSet{"設定"}, cmdCan{"ｷｬﾝｾﾙ"}, cmdEtc{"その他の作品"};
    std::array<bool, 3> marks{};
    std::vector<std::pair<int, bool>> markCalls;
    bool repeatEnabled = true;
    std::string repeatText;
    std::vector<std::string> repeatItems;
    std::string fileCaption;
    std::vector<std::pair<int, int>> moves;
    std::vector<std::pair<int, std::uint32_t>> formLines, panelLines;
    int closed = 0;
    ScreenRect window{720, 370, 1205, 652};

    int FormWidth() override { return 7275; }
    int FormHeight() override { return 4230; }
    int ScreenWidth() override { return 1920 * 15; }
    int ScreenHeight() override { return 1080 * 15; }
    void MoveForm(int left, int top) override { moves.emplace_back(left, top); }
    ScreenRect WindowRect() override { return window; }
    std::vector<Command*> ButtonControls() override {
        return {&cmdBgm.command, &cmdSet.command, &cmdCan.command, &cmdEtc.command};
    }
    Command& FileButton() override { return cmdBgm.command; }
    void ShowOptionMark(int index, bool on) override {
        marks.at(static_cast<std::size_t>(index)) = on;
        markCalls.emplace_back(index, on);
    }
    void SetRepeatEnabled(bool enabled) override { repeatEnabled = enabled; }
    void SetRepeatText(const std::string& text) override { repeatText = text; }
    std::string RepeatText() override { return repeatText; }
    void AddRepeatItem(const std::string& text) override { repeatItems.push_back(text); }
    void SetFileCaption(const std::string& text) override { fileCaption = text; }
    int FormInnerHeight() override { return 3780; }
    int PanelInnerHeight() override { return 2535; }
    void DrawFormLine(int y, std::uint32_t colour) override { formLines.emplace_back(y, colour); }
    void DrawPanelLine(int y, std::uint32_t colour) override { panelLines.emplace_back(y, colour); }
    void Close() override { ++closed; }
};

struct Dialog {
    LauncherState state;
    FakeView view;
    FakePlatform platform;
    Veyra_P form{view, platform, state, "https://maker.example/"};

    explicit Dialog(int kind = 0, int repeat = 0, std::string file = "") {
        state.BgmKind = static_cast<std::int16_t>(kind);
        state.BgmRepeat = static_cast<std::int16_t>(repeat);
        state.BgmFile = std::move(file);
    }
    void Load() { form.Form_Load(); }
};

const std::string kFile = "/home/u/.config/orveline/Orveline.ini";

TEST(SettingsDialogLoad, EachKindMarksItsOptionAndEnablesItsControl) {
    struct Case {
        int kind;
        std::array<bool, 3> marks;
        bool repeat;
        bool fileButton;
    };
    for (const Case& c :
         {Case{0, {true, false, false}, false, false}, Case{1, {false, true, false}, true, false},
          Case{2, {false, false, true}, false, true}, Case{7, {false, false, false}, false, false},
          Case{-1, {false, false, false}, false, false}}) {
        SCOPED_TRACE(c.kind);
        Dialog d(c.kind);
        d.Load();
        EXPECT_EQ(d.view.marks, c.marks);
        EXPECT_EQ(d.view.repeatEnabled, c.repeat);
        EXPECT_EQ(d.view.cmdBgm.command.EnabledValue(), c.fileButton);
        EXPECT_EQ(d.view.cmdBgm.surface.faces.back(),
                  c.fileButton ? StateImage::Normal : StateImage::Disable);
        EXPECT_EQ(d.state.BgmKind, c.kind);
    }
}

TEST(SettingsDialogLoad, OffMarksComeBeforeTheOnMark) {
    Dialog d(2);
    d.Load();
    EXPECT_EQ(d.view.markCalls,
              (std::vector<std::pair<int, bool>>{{0, false}, {1, false}, {2, false}, {2, true}}));
}

TEST(SettingsDialogLoad, RepeatTextAndItemsUseTheHashHashFormat) {
    for (auto [repeat, text] : {std::pair{0, ""}, {7, "7"}, {45, "45"}, {-3, "-3"}}) {
        Dialog d(1, repeat);
        d.Load();
        EXPECT_EQ(d.view.repeatText, text);
        ASSERT_EQ(d.view.repeatItems.size(), 31u);
        EXPECT_EQ(d.view.repeatItems.front(), "");
        EXPECT_EQ(d.view.repeatItems[1], "1");
        EXPECT_EQ(d.view.repeatItems.back(), "30");
    }
}

TEST(SettingsDialogLoad, PlacesTheFormAtOneThirdOfTheFreeHeight) {
    Dialog d;
    d.Load();
    ASSERT_EQ(d.view.moves.size(), 1u);
    EXPECT_EQ(d.view.moves[0], (std::pair{(28800 - 7275) / 2, (16200 - 4230) / 3}));
}

TEST(SettingsDialogLoad, InitializesEveryButtonAndShowsTheFileName) {
    Dialog d(0, 0, "/music/a.mp3");
    d.Load();
    for (Command* button : d.view.ButtonControls()) {
        EXPECT_EQ(button->State(), 1);
    }
    EXPECT_EQ(d.view.cmdSet.surface.timerInterval, 100);
    EXPECT_EQ(d.view.fileCaption, "/music/a.mp3");
}

TEST(SettingsDialogLoad, ZoomsOutOfTheCursorAndSetsTheArrow) {
    Dialog d;
    d.Load();
    EXPECT_EQ(d.state.CursorX, 100);
    EXPECT_EQ(d.state.CursorY, 50);
    ASSERT_EQ(d.platform.zooms.size(), 1u);
    EXPECT_EQ(d.platform.zooms[0].first, (ScreenRect{100, 50, 100, 50}));
    EXPECT_EQ(d.platform.zooms[0].second, d.view.window);
    EXPECT_EQ(d.platform.pointers, std::vector<MousePointer>{MousePointer::Default});
}

TEST(SettingsDialogLoad, UnknownCursorZoomsFromTheTopLeftCorner) {
    Dialog d;
    d.state.CursorX = 9;
    d.platform.cursorKnown = false;
    d.Load();
    EXPECT_EQ(d.state.CursorX, 0);
    EXPECT_EQ(d.state.CursorY, 0);
    EXPECT_EQ(d.platform.zooms[0].first, (ScreenRect{0, 0, 0, 0}));
}

TEST(SettingsDialogOptions, MarkAndLabelChooseTheSameOption) {
    struct Case {
        int index;
        bool byLabel;
    };
    for (const Case& c : {Case{0, false}, Case{0, true}, Case{1, false}, Case{1, true},
                          Case{2, false}, Case{2, true}}) {
        Dialog d(c.index == 2 ? 1 : 2, 9, "/music/b.wav");
        d.Load();
        if (c.byLabel)
            d.form.lbl_BGM_MouseDown(c.index, 2, 0, 0, 0);
        else
            d.form.Img_BGM_MouseDown(c.index, 1, 0, 0, 0);
        EXPECT_EQ(d.state.BgmKind, c.index);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(d.view.marks[static_cast<std::size_t>(i)], i == c.index);
        EXPECT_EQ(d.view.repeatEnabled, c.index == 1);
        EXPECT_EQ(d.view.cmdBgm.command.EnabledValue(), c.index == 2);
        EXPECT_EQ(d.state.BgmRepeat, 9);  // the option leaves track and file alone
        EXPECT_EQ(d.state.BgmFile, "/music/b.wav");
    }
}

TEST(SettingsDialogOptions, ChoosingAFileKeepsTheKind) {
    Dialog d(2);
    d.Load();
    d.form.Img_BGM_MouseDown(1, 1, 0, 0, 0);
    d.platform.chosenFile = "/music/c.mp3";
    d.form.Cmd_BGM_Click();
    EXPECT_EQ(d.state.BgmKind, 1);
    EXPECT_EQ(d.state.BgmFile, "/music/c.mp3");
    EXPECT_EQ(d.view.fileCaption, "/music/c.mp3");
    ASSERT_EQ(d.platform.chooserRequests.size(), 1u);
    EXPECT_EQ(d.platform.chooserRequests[0].FilterDescription, "BGMﾌｧｲﾙ (MP3 WAV)");
    EXPECT_EQ(d.platform.chooserRequests[0].FilterPattern, "*.MP3;*.WAV");
    EXPECT_EQ(d.platform.chooserRequests[0].Title, "ﾌｧｲﾙを開く");
}

TEST(SettingsDialogOptions, CancelledOrUnstorableFileChoiceChangesNothing) {
    // Cancelled, a path that cannot be one settings value, a path cut at its first NUL.
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases = {
        {std::nullopt, "/music/old.mp3"},
        {std::string("/music/a\nBGM=1.mp3"), "/music/old.mp3"},
        {std::string("/music/b\r.wav"), "/music/old.mp3"},
        {std::string("/music/c.mp3\0junk", 17), "/music/c.mp3"},
    };
    for (const auto& [chosen, kept] : cases) {
        Dialog d(2, 0, "/music/old.mp3");
        d.Load();
        d.platform.chosenFile = chosen;
        d.form.Cmd_BGM_Click();
        EXPECT_EQ(d.state.BgmFile, kept);
        EXPECT_EQ(d.view.fileCaption, kept);
    }
}

// The path as the settings file holds it: "音" is 3 bytes of UTF-8, 2 of code page 932.
TEST(SettingsDialogOptions, AMusicPathThatWouldNotReadBackWholeIsRefusedWithAMessage) {
    for (const std::size_t bytes : {254u, 255u, 300u}) {
        SCOPED_TRACE(bytes);
        std::string path = "/";
        while (path.size() + 2 * std::string("音").size() + 4 <= bytes) path += "音";
        path += std::string(bytes - path.size() - 4, 'a') + ".mp3";
        ASSERT_EQ(path.size(), bytes);
        Dialog d(2, 0, "/music/old.mp3");
        d.Load();
        d.platform.chosenFile = path;
        d.form.Cmd_BGM_Click();
        const std::string kept = bytes <= kLongestMusicPath ? path : "/music/old.mp3";
        EXPECT_EQ(d.state.BgmFile, kept);
        EXPECT_EQ(d.view.fileCaption, kept);
        ASSERT_EQ(d.platform.messages.size(), bytes <= kLongestMusicPath ? 0u : 1u);
        if (!d.platform.messages.empty()) {
            EXPECT_NE(d.platform.messages[0].find(path), std::string::npos);
        }
        d.form.Cmd_Set_Click();
        EXPECT_EQ(d.platform.writes.at(2).value, kept);
    }
}

TEST(SettingsDialogSave, WritesTheThreeKeysInOrderAndCloses) {
    Dialog d(0, 0, "C:\\Music\\a.mp3");
    d.Load();
    d.form.lbl_BGM_MouseDown(2, 1, 0, 0, 0);
    d.form.Cmd_Set_Click();
    EXPECT_EQ(d.platform.writes, (std::vector<Write>{
                                     {"Section", kKeyBgmKind, "2", kFile},
                                     {"Section", kKeyBgmRepeat, "0", kFile},
                                     {"Section", kKeyBgmFile, "C:\\Music\\a.mp3", kFile},
                                 }));
    EXPECT_EQ(d.view.closed, 1);
    EXPECT_TRUE(d.platform.messages.empty());
    ASSERT_EQ(d.platform.zooms.size(), 2u);  // back into the cursor recorded at load
    EXPECT_EQ(d.platform.zooms[1].second, (ScreenRect{100, 50, 100, 50}));
    d.form.Form_Unload();
    EXPECT_EQ(d.platform.zooms.size(), 2u);
}

TEST(SettingsDialogSave, KindOutsideTheOptionsIsWrittenBackUnchanged) {
    Dialog d(7);
    d.Load();
    d.form.Cmd_Set_Click();
    EXPECT_EQ(d.platform.writes.at(0).value, "7");
}

TEST(SettingsDialogSave, ComboTextBecomesTheTrackNumber) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"12", "12"},         {"2.5", "2"}, {"3.5", "4"},   {"45", "45"},
        {"abc", "0"},         {"", "0"},    {"40000", "0"}, {"32767", "32767"},
        {"-32768", "-32768"}, {" 7 ", "7"}, {"1e1", "10"},  {"7abc", "0"},
    };
    for (const auto& [text, written] : cases) {
        SCOPED_TRACE(text);
        Dialog d(1, 5);
        d.Load();
        d.view.repeatText = text;
        d.form.Cmd_Set_Click();
        ASSERT_EQ(d.platform.writes.size(), 3u);
        EXPECT_EQ(d.platform.writes[1].value, written);
        EXPECT_EQ(std::to_string(d.state.BgmRepeat), written);
    }
}

TEST(SettingsDialogSave, FailedWriteKeepsTheDialogOpenAndNamesTheFile) {
    for (int failing = 0; failing < 3; ++failing) {
        Dialog d(1);
        d.Load();
        d.platform.failingWrite = failing;
        d.form.Cmd_Set_Click();
        EXPECT_EQ(d.platform.writes.size(), 3u);
        EXPECT_EQ(d.view.closed, 0);
        EXPECT_FALSE(d.form.Unloaded());
        ASSERT_EQ(d.platform.messages.size(), 1u);
        EXPECT_NE(d.platform.messages[0].find(kFile), std::string::npos);
        // The user frees the folder and saves again.
        d.platform.failingWrite = -1;
        d.form.Cmd_Set_Click();
        EXPECT_EQ(d.view.closed, 1);
    }
}

TEST(SettingsDialogLanguage, TextsFollowTheUserButTheSavedBytesDoNot) {
    std::vector<Write> saved[2];
    for (const Language language : {Language::Japanese, Language::English}) {
        Dialog d(1, 4, "/music/a.mp3");
        d.platform.language = language;
        d.Load();
        d.form.Img_BGM_MouseDown(2, 1, 0, 0, 0);
        d.platform.chosenFile = "/music/b.mp3";
        d.form.Cmd_BGM_Click();
        ASSERT_EQ(d.platform.chooserRequests.size(), 1u);
        EXPECT_STREQ(d.platform.chooserRequests[0].Title.c_str(),
                     TextOf(Text::FileChooserTitle, language));
        EXPECT_STREQ(d.platform.chooserRequests[0].FilterDescription.c_str(),
                     TextOf(Text::FileFilterDescription, language));
        d.platform.failingWrite = 2;
        d.form.Cmd_Set_Click();
        ASSERT_EQ(d.platform.messages.size(), 1u);
        EXPECT_EQ(d.platform.messages[0], TextOf(Text::SaveFailed, language) + kFile);
        d.platform.failingWrite = -1;
        d.form.Cmd_Set_Click();
        saved[static_cast<int>(language)] = d.platform.writes;
    }
    EXPECT_EQ(saved[0], saved[1]);
}

TEST(SettingsDialogCancel, WritesNothingAndZoomsBack) {
    Dialog d(0);
    d.Load();
    d.form.Img_BGM_MouseDown(2, 1, 0, 0, 0);
    d.form.Cmd_Can_Click();
    EXPECT_TRUE(d.platform.writes.empty());
    EXPECT_EQ(d.view.closed, 1);
    EXPECT_EQ(d.platform.zooms.back(), (std::pair{d.view.window, ScreenRect{100, 50, 100, 50}}));
}

TEST(SettingsDialogOther, OpensTheMakersPageUnderTheHourglassAndStaysOpen) {
    Dialog d;
    d.Load();
    d.platform.pointers.clear();
    d.form.Cmd_Etc_Click();
    EXPECT_EQ(d.platform.opened, std::vector<std::string>{"https://maker.example/"});
    EXPECT_EQ(d.platform.pointers,
              (std::vector<MousePointer>{MousePointer::Hourglass, MousePointer::Default}));
    EXPECT_EQ(d.view.closed, 0);
}

TEST(SettingsDialogButtons, EachClickReachesItsOwnHandlerOnceThePresenterIsSet) {
    Dialog d(2);
    d.Load();
    Veyra_P* presenter = nullptr;
    ConnectButtonClicks(presenter, d.view.cmdBgm.command, d.view.cmdSet.command,
                        d.view.cmdCan.command, d.view.cmdEtc.command);
    d.view.cmdSet.command.Click();  // before the form has its presenter: nothing happens
    EXPECT_TRUE(d.platform.writes.empty());
    EXPECT_EQ(d.view.closed, 0);

    presenter = &d.form;
    d.view.cmdBgm.command.Click();
    EXPECT_EQ(d.platform.chooserRequests.size(), 1u);
    d.view.cmdEtc.command.Click();
    EXPECT_EQ(d.platform.opened.size(), 1u);
    EXPECT_EQ(d.view.closed, 0);
    d.view.cmdSet.command.Click();
    EXPECT_FALSE(d.platform.writes.empty());
    EXPECT_EQ(d.view.closed, 1);
}

TEST(SettingsDialogBackground, FormIsBlueGreyAndPanelLighterGrey) {
    Dialog d;
    d.form.Form_Resize();
    ASSERT_EQ(d.view.formLines.size(), 3781u);
    ASSERT_EQ(d.view.panelLines.size(), 2536u);
    EXPECT_EQ(d.view.formLines.front().second, 0x1E0000u);  // red 0, green 0, blue 30
    EXPECT_EQ(d.view.formLines[1890].second, 0xFADCDCu);    // brightest in the middle
    EXPECT_EQ(d.view.panelLines.front().second, 0x1E1E1Eu);
    EXPECT_EQ(d.view.panelLines[1267].second, 0xFAFAFAu);
    EXPECT_EQ(BackgroundLevel(3780, 3780), 0);
}

TEST(SettingsDialogLayout, OptionHitsFollowMarksAndLabels) {
    using namespace dialog_layout;
    EXPECT_EQ(OptionAt(Px(300) + 2, Px(1140) + 2), 0);
    EXPECT_EQ(OptionAt(Px(540) + 20, Px(840) + 5), 1);
    EXPECT_EQ(OptionAt(Px(540) + 59, Px(1440) + 12), 2);
    EXPECT_EQ(OptionAt(Px(540) + 60, Px(1440) + 5), -1);
    EXPECT_EQ(OptionAt(0, 0), -1);
}

}  // namespace
}  // namespace orveline
