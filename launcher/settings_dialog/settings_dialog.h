// The settings dialog Veyra_P ("<Orveline>"): the user picks the music source, the CD track to
// repeat and the music file, saves them to the settings file or leaves; a third button opens the
// maker's web page. Portable presenter: the platform's form implements SettingsDialogView, and
// SettingsDialogPlatform carries the services around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "texts.h"

namespace orveline {

struct LauncherState;

// Screen pixels.
struct ScreenRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const ScreenRect& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
};

enum class MousePointer { Default, Hourglass };

struct FileChooserRequest {
    std::string FilterDescription;
    std::string FilterPattern;
    std::string Title;
};

// The form and its controls.
class SettingsDialogView {
  public:
    virtual ~SettingsDialogView() = default;
    // Outer size of the form and size of the screen, in twips.
    virtual int FormWidth() = 0;
    virtual int FormHeight() = 0;
    virtual int ScreenWidth() = 0;
    virtual int ScreenHeight() = 0;
    virtual void MoveForm(int left, int top) = 0;
    // The form's screen rectangle in pixels.
    virtual ScreenRect WindowRect() = 0;

    // Every button control on the form, and the file button Cmd_BGM among them.
    virtual std::vector<Command*> ButtonControls() = 0;
    virtual Command& FileButton() = 0;

    virtual void ShowOptionMark(int index, bool on) = 0;  // Img_BGM(index)
    virtual void SetRepeatEnabled(bool enabled) = 0;      // BGM_Repeat
    virtual void SetRepeatText(const std::string& text) = 0;
    virtual std::string RepeatText() = 0;
    virtual void AddRepeatItem(const std::string& text) = 0;
    virtual void SetFileCaption(const std::string& text) = 0;  // lbl_Fname

    // Background: inner heights in twips, and one line across the whole width per twip row.
    virtual int FormInnerHeight() = 0;
    virtual int PanelInnerHeight() = 0;
    virtual void DrawFormLine(int y, std::uint32_t colour) = 0;  // 0x00BBGGRR
    virtual void DrawPanelLine(int y, std::uint32_t colour) = 0;

    // Takes the form off the screen; the modal loop that shows it ends.
    virtual void Close() = 0;
};

class SettingsDialogPlatform {
  public:
    virtual ~SettingsDialogPlatform() = default;
    // The private-profile write; false when the platform reports a failure.
    virtual bool WriteIni(const std::string& section, const std::string& key,
                          const std::string& value, const std::string& file) = 0;
    virtual std::string SettingsFile() = 0;
    // A modal file chooser: the chosen full path, or nothing when cancelled or failed.
    virtual std::optional<std::string> ChooseFile(const FileChooserRequest& request) = 0;
    virtual void OpenWebPage(const std::string& address) = 0;
    virtual bool CursorPosition(int& x, int& y) = 0;
    virtual void SetMousePointer(MousePointer pointer) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // The language of the texts the dialog shows.
    virtual Language UserLanguage() = 0;
    // The caption animation between two screen rectangles.
    virtual void DrawAnimatedRects(const ScreenRect& from, const ScreenRect& to) = 0;
};

// The services a launcher gives every platform's dialog alike: the settings file and its write,
// and the cursor position. The platform adds the native chooser, browser, pointer and messages.
class LauncherPlatform;
class LauncherDialogPlatform : public SettingsDialogPlatform {
  public:
    explicit LauncherDialogPlatform(LauncherPlatform& launcher) : launcher_(launcher) {}
    bool WriteIni(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& file) override;
    std::string SettingsFile() override;
    bool CursorPosition(int& x, int& y) override;
    Language UserLanguage() override;

  private:
    LauncherPlatform& launcher_;
};

// "##": the decimal number, and the empty text for 0.
std::string FormatHashHash(int value);
// The combo text as a track number: a number rounded to the even neighbour at halves, 0 for
// text that is no number or a number beyond 16 bits.
std::int16_t RepeatFromText(const std::string& text);
// Brightness of background row y of a surface H units high: dark at both edges, 220 between.
int BackgroundLevel(int y, int height);
// The longest music path, in bytes of the settings file's encoding: what the Windows chooser's
// 255-character buffer holds. The settings file gives back at most 255 bytes of a value.
inline constexpr std::size_t kLongestMusicPath = 254;

// The dialog's messages: the settings cannot be saved; the chosen music file's path is longer
// than kLongestMusicPath.
std::string SaveFailedMessage(const std::string& settingsFile, Language language);
std::string PathTooLongMessage(const std::string& path, Language language);

// Initializes every button of the form, or sets their Enabled property.
void SetCommands(SettingsDialogView& form, bool initialize, bool enable);
void ZoomOpen(SettingsDialogPlatform& platform, const LauncherState& state,
              const ScreenRect& window);
void ZoomClose(SettingsDialogPlatform& platform, const LauncherState& state,
               const ScreenRect& window);

class Veyra_P {
  public:
    Veyra_P(SettingsDialogView& view, SettingsDialogPlatform& platform, LauncherState& state,
            std::string makerPage);

    void Form_Load();
    void Form_Resize();
    // Runs once, whichever way the form goes: a button or the window's close box.
    void Form_Unload();
    void Img_BGM_MouseDown(int index, int button, int shift, float x, float y);
    void lbl_BGM_MouseDown(int index, int button, int shift, float x, float y);
    void Cmd_BGM_Click();
    void Cmd_Set_Click();
    void Cmd_Can_Click();
    void Cmd_Etc_Click();

    bool Unloaded() const { return unloaded_; }

  private:
    void ChooseOption(int index);
    void ShowOption(int index);
    void Unload();

    SettingsDialogView& view_;
    SettingsDialogPlatform& platform_;
    LauncherState& state_;
    std::string makerPage_;
    bool unloaded_ = false;
};

// Routes the four buttons' clicks to the presenter the form holds in `presenter`; a click while
// it is null does nothing.
void ConnectButtonClicks(Veyra_P* const& presenter, Command& cmdBgm, Command& cmdSet,
                         Command& cmdCan, Command& cmdEtc);

}  // namespace orveline
