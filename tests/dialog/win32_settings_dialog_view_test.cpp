// The Win32 form with its presenter: closing, saving and options through window messages.
#include <gtest/gtest.h>
#include <windows.h>

#include "dialog_layout.h"
#include "fake_dialog_platform.h"
#include "launcher_state.h"
#include "win32_settings_dialog.h"

namespace orveline {
namespace {

// Closes a modal loop that a failing test would leave running.
void CALLBACK CloseStuckForm(HWND, UINT, UINT_PTR, DWORD) {
    HWND form = FindWindowA("Veyra_P", nullptr);
    if (form) PostMessageA(form, WM_CLOSE, 0, 0);
}

struct Win32Dialog {
    LauncherState state;
    FakePlatform platform;
    Win32SettingsDialog view{Language::Japanese};
    Veyra_P form{view, platform, state, "https://maker.example/"};

    Win32Dialog(int kind, int repeat) {
        state.BgmKind = static_cast<std::int16_t>(kind);
        state.BgmRepeat = static_cast<std::int16_t>(repeat);
        view.SetPresenter(&form);
        form.Form_Load();
        form.Form_Resize();
        SetTimer(nullptr, 0, 5000, &CloseStuckForm);
    }
};

using namespace dialog_layout;

TEST(Win32SettingsDialogView, FormIsTitledAndSizedInTwips) {
    Win32Dialog d(0, 0);
    char title[64] = {};
    GetWindowTextA(d.view.Window(), title, sizeof title);
    EXPECT_STREQ(title, "<Orveline>");
    RECT client{};
    GetClientRect(d.view.Window(), &client);
    EXPECT_EQ(client.right, 479);
    EXPECT_EQ(client.bottom, 252);
    char className[64] = {};
    HWND save =
        ChildWindowFromPoint(d.view.Window(), POINT{Px(kCmdSet.Left) + 5, Px(kCmdSet.Top) + 5});
    GetClassNameA(save, className, sizeof className);
    EXPECT_STREQ(className, "Veyra.Command");
}

TEST(Win32SettingsDialogView, ClosingTheWindowSavesNothingAndZoomsBack) {
    Win32Dialog d(2, 0);
    PostMessageA(d.view.Window(), WM_CLOSE, 0, 0);
    d.view.RunModal();
    EXPECT_TRUE(d.platform.writes.empty());
    EXPECT_TRUE(d.form.Unloaded());
    EXPECT_EQ(d.platform.zooms.size(), 2u);
}

TEST(Win32SettingsDialogView, SaveButtonClickWritesAndEndsTheDialog) {
    Win32Dialog d(1, 7);
    HWND save =
        ChildWindowFromPoint(d.view.Window(), POINT{Px(kCmdSet.Left) + 5, Px(kCmdSet.Top) + 5});
    ASSERT_NE(save, nullptr);
    SendMessageA(save, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));  // hover first, as a real click does
    SendMessageA(save, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(save, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    d.view.RunModal();
    ASSERT_EQ(d.platform.writes.size(), 3u);
    EXPECT_EQ(d.platform.writes[1].value, "7");
    EXPECT_EQ(d.platform.zooms.size(), 2u);
}

TEST(Win32SettingsDialogView, PressOnAnOptionLabelOrMarkChoosesIt) {
    Win32Dialog d(0, 0);
    HWND panel =
        ChildWindowFromPoint(d.view.Window(), POINT{Px(kPanel.Left) + 2, Px(kPanel.Top) + 2});
    ASSERT_NE(panel, nullptr);
    auto press = [&](const Place& place, int expectedKind) {
        SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(Px(place.Left) + 3, Px(place.Top) + 3));
        EXPECT_EQ(d.state.BgmKind, expectedKind);
    };
    press(kOptionLabel[2], 2);
    EXPECT_TRUE(d.view.FileButton().EnabledValue());
    press(kOptionMark[1], 1);
    EXPECT_FALSE(d.view.FileButton().EnabledValue());
    press(kOptionLabel[0], 0);
}

}  // namespace
}  // namespace orveline
