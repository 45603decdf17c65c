// Win32 form of the settings dialog: a top-level window "<Orveline>" with the panel Pic_C(0)
// (a child window that draws the option marks, labels and heading frame on its retained
// background), a drop-down combo box and four "Veyra.Command" buttons; GetOpenFileNameA,
// ShellExecuteA and DrawAnimatedRects around it. Pairs with settings_dialog.h; shown modally by
// win32_show_settings_dialog.cpp.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "settings_dialog.h"
#include "win32_command.h"

namespace orveline {

class LauncherPlatform;

class Win32SettingsDialog : public SettingsDialogView {
  public:
    // The form with its captions in that language.
    explicit Win32SettingsDialog(Language language);
    Win32SettingsDialog(const Win32SettingsDialog&) = delete;
    Win32SettingsDialog& operator=(const Win32SettingsDialog&) = delete;
    ~Win32SettingsDialog() override;

    void SetPresenter(Veyra_P* presenter) { presenter_ = presenter; }
    HWND Window() const { return form_; }
    // Shows the form and runs its messages until it is closed.
    void RunModal();

    int FormWidth() override;
    int FormHeight() override;
    int ScreenWidth() override;
    int ScreenHeight() override;
    void MoveForm(int left, int top) override;
    ScreenRect WindowRect() override;
    std::vector<Command*> ButtonControls() override;
    Command& FileButton() override { return cmdBgm_->Control(); }
    void ShowOptionMark(int index, bool on) override;
    void SetRepeatEnabled(bool enabled) override;
    void SetRepeatText(const std::string& text) override;
    std::string RepeatText() override;
    void AddRepeatItem(const std::string& text) override;
    void SetFileCaption(const std::string& text) override;
    int FormInnerHeight() override;
    int PanelInnerHeight() override;
    void DrawFormLine(int y, std::uint32_t colour) override;
    void DrawPanelLine(int y, std::uint32_t colour) override;
    void Close() override;

  private:
    static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleForm(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandlePanel(UINT message, WPARAM wParam, LPARAM lParam);
    void PaintPanel(HDC dc);
    std::unique_ptr<Win32CommandButton> AddButton(HWND parent, const char* caption, int x, int y,
                                                  int width, int height);

    Language language_;
    Veyra_P* presenter_ = nullptr;
    HWND form_ = nullptr;
    HWND panel_ = nullptr;
    HWND repeat_ = nullptr;
    MemoryCanvas formBackground_;
    MemoryCanvas panelBackground_;
    GdiObject font_;
    std::unique_ptr<Win32CommandButton> cmdBgm_, cmdSet_, cmdCan_, cmdEtc_;
    std::array<bool, 3> marks_{};
    std::string fileName_;
    bool closed_ = false;
};

class Win32SettingsDialogPlatform : public LauncherDialogPlatform {
  public:
    Win32SettingsDialogPlatform(LauncherPlatform& launcher, HWND owner);
    std::optional<std::string> ChooseFile(const FileChooserRequest& request) override;
    void OpenWebPage(const std::string& address) override;
    void SetMousePointer(MousePointer pointer) override;
    void ShowMessage(const std::string& text) override;
    void DrawAnimatedRects(const ScreenRect& from, const ScreenRect& to) override;

  private:
    HWND owner_;
};

}  // namespace orveline
