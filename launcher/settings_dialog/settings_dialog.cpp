#include "settings_dialog.h"

#include <cmath>
#include <utility>

#include "launcher_platform.h"
#include "launcher_state.h"
#include "number_text.h"
#include "veyra_b.h"

namespace orveline {

namespace {

std::int16_t Clamp16(int value) {
    if (value < -32768) return -32768;
    if (value > 32767) return 32767;
    return static_cast<std::int16_t>(value);
}

}  // namespace

std::string FormatHashHash(int value) {
    return value == 0 ? std::string() : std::to_string(value);
}

std::int16_t RepeatFromText(const std::string& text) {
    const std::optional<double> number = NumberText(text);
    if (!number) return 0;
    const std::optional<std::int32_t> whole = RoundToInt32(*number);
    if (!whole || *whole < -32768 || *whole > 32767) return 0;
    return static_cast<std::int16_t>(*whole);
}

int BackgroundLevel(int y, int height) {
    if (height == 0) return 0;
    const double v = std::fabs(std::sin(y / (height / 3.142))) * 220.0;
    return static_cast<int>(std::nearbyint(v));
}

std::string SaveFailedMessage(const std::string& settingsFile, Language language) {
    return TextOf(Text::SaveFailed, language) + settingsFile;
}

std::string PathTooLongMessage(const std::string& path, Language language) {
    static_assert(kLongestMusicPath == 254, "the message names the longest path");
    return TextOf(Text::PathTooLong, language) + path;
}

void ConnectButtonClicks(Veyra_P* const& presenter, Command& cmdBgm, Command& cmdSet,
                         Command& cmdCan, Command& cmdEtc) {
    const auto route = [slot = &presenter](void (Veyra_P::*handler)()) {
        return [slot, handler] {
            if (*slot) ((*slot)->*handler)();
        };
    };
    cmdBgm.Click = route(&Veyra_P::Cmd_BGM_Click);
    cmdSet.Click = route(&Veyra_P::Cmd_Set_Click);
    cmdCan.Click = route(&Veyra_P::Cmd_Can_Click);
    cmdEtc.Click = route(&Veyra_P::Cmd_Etc_Click);
}

void SetCommands(SettingsDialogView& form, bool initialize, bool enable) {
    for (Command* button : form.ButtonControls()) {
        if (button == nullptr) continue;
        if (initialize) {
            button->Initialize();
        } else {
            button->Enabled(enable);
        }
    }
}

void ZoomOpen(SettingsDialogPlatform& platform, const LauncherState& state,
              const ScreenRect& window) {
    const ScreenRect cursor{state.CursorX, state.CursorY, state.CursorX, state.CursorY};
    platform.DrawAnimatedRects(cursor, window);
}

void ZoomClose(SettingsDialogPlatform& platform, const LauncherState& state,
               const ScreenRect& window) {
    const ScreenRect cursor{state.CursorX, state.CursorY, state.CursorX, state.CursorY};
    platform.DrawAnimatedRects(window, cursor);
}

Veyra_P::Veyra_P(SettingsDialogView& view, SettingsDialogPlatform& platform, LauncherState& state,
                 std::string makerPage)
    : view_(view), platform_(platform), state_(state), makerPage_(std::move(makerPage)) {}

void Veyra_P::Form_Load() {
    // Whole twips, so the divisions keep the integer part towards zero.
    view_.MoveForm((view_.ScreenWidth() - view_.FormWidth()) / 2,
                   (view_.ScreenHeight() - view_.FormHeight()) / 3);
    SetCommands(view_, true, true);
    view_.FileButton().Enabled(false);
    view_.SetRepeatEnabled(false);
    ShowOption(state_.BgmKind);
    view_.SetRepeatText(FormatHashHash(state_.BgmRepeat));
    for (int item = 0; item <= 30; ++item) view_.AddRepeatItem(FormatHashHash(item));
    view_.SetFileCaption(state_.BgmFile);
    int x = 0;
    int y = 0;
    if (platform_.CursorPosition(x, y)) {
        state_.CursorX = Clamp16(x);
        state_.CursorY = Clamp16(y);
    } else {
        state_.CursorX = 0;
        state_.CursorY = 0;
    }
    ZoomOpen(platform_, state_, view_.WindowRect());
    platform_.SetMousePointer(MousePointer::Default);
}

void Veyra_P::Form_Resize() {
    const int formHeight = view_.FormInnerHeight();
    for (int y = 0; y <= formHeight; ++y) {
        const std::uint32_t v = static_cast<std::uint32_t>(BackgroundLevel(y, formHeight));
        view_.DrawFormLine(y, v | v << 8 | (v + 30) << 16);
    }
    const int panelHeight = view_.PanelInnerHeight();
    for (int y = 0; y <= panelHeight; ++y) {
        const std::uint32_t v = static_cast<std::uint32_t>(BackgroundLevel(y, panelHeight)) + 30;
        view_.DrawPanelLine(y, v | v << 8 | v << 16);
    }
}

void Veyra_P::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    ZoomClose(platform_, state_, view_.WindowRect());
}

void Veyra_P::Img_BGM_MouseDown(int index, int, int, float, float) {
    ChooseOption(index);
}

void Veyra_P::lbl_BGM_MouseDown(int index, int, int, float, float) {
    ChooseOption(index);
}

void Veyra_P::ChooseOption(int index) {
    if (index < 0 || index > 2) return;
    state_.BgmKind = static_cast<std::int16_t>(index);
    view_.FileButton().Enabled(false);
    view_.SetRepeatEnabled(false);
    ShowOption(index);
}

// Marks the option `index` (none when out of range) and enables its own control.
void Veyra_P::ShowOption(int index) {
    for (int i = 0; i < 3; ++i) view_.ShowOptionMark(i, false);
    if (index >= 0 && index <= 2) view_.ShowOptionMark(index, true);
    if (index == 1) view_.SetRepeatEnabled(true);
    if (index == 2) view_.FileButton().Enabled(true);
}

void Veyra_P::Cmd_BGM_Click() {
    const Language language = platform_.UserLanguage();
    const FileChooserRequest request{TextOf(Text::FileFilterDescription, language), "*.MP3;*.WAV",
                                     TextOf(Text::FileChooserTitle, language)};
    std::optional<std::string> chosen = platform_.ChooseFile(request);
    if (!chosen || chosen->empty()) return;
    std::string path = chosen->substr(0, chosen->find('\0'));
    // A line break would end the value in the settings file and start a line of its own there.
    if (path.empty() || path.find_first_of("\r\n") != std::string::npos) return;
    // Longer paths would come back cut from the settings file, as a file that does not exist.
    if (path.size() > kLongestMusicPath) {
        platform_.ShowMessage(PathTooLongMessage(path, language));
        return;
    }
    state_.BgmFile = path;
    view_.SetFileCaption(state_.BgmFile);
}

void Veyra_P::Cmd_Set_Click() {
    const std::string file = platform_.SettingsFile();
    // Every write is tried, and the form stays open when one fails, so the choice is not lost.
    bool saved =
        platform_.WriteIni(kSettingsSection, kKeyBgmKind, std::to_string(state_.BgmKind), file);
    state_.BgmRepeat = RepeatFromText(view_.RepeatText());
    saved = platform_.WriteIni(kSettingsSection, kKeyBgmRepeat, std::to_string(state_.BgmRepeat),
                               file) &&
            saved;
    saved = platform_.WriteIni(kSettingsSection, kKeyBgmFile, state_.BgmFile, file) && saved;
    if (!saved) {
        platform_.ShowMessage(SaveFailedMessage(file, platform_.UserLanguage()));
        return;
    }
    Unload();
}

void Veyra_P::Cmd_Can_Click() {
    Unload();
}

void Veyra_P::Cmd_Etc_Click() {
    platform_.SetMousePointer(MousePointer::Hourglass);
    platform_.OpenWebPage(makerPage_);
    platform_.SetMousePointer(MousePointer::Default);
}

void Veyra_P::Unload() {
    Form_Unload();
    view_.Close();
}

bool LauncherDialogPlatform::WriteIni(const std::string& section, const std::string& key,
                                      const std::string& value, const std::string& file) {
    return orveline::WriteIni(launcher_, section, key, value, file);
}

std::string LauncherDialogPlatform::SettingsFile() {
    return SettingsFilePath(launcher_);
}

bool LauncherDialogPlatform::CursorPosition(int& x, int& y) {
    return launcher_.cursorPosition(x, y);
}

Language LauncherDialogPlatform::UserLanguage() {
    return launcher_.userLanguage();
}

}  // namespace orveline
