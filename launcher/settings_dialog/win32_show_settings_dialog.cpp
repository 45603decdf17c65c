// Windows entry of the settings dialog: the Win32 form, its presenter and the services around
// it, run modally on the launcher's thread.
#include "launcher_platform.h"
#include "launcher_state.h"
#include "show_settings_dialog.h"
#include "win32_settings_dialog.h"

#ifndef ORVELINE_MAKER_URL
#define ORVELINE_MAKER_URL "https://orveline.example.org/"
#endif

namespace orveline {

void showSettingsDialog(LauncherPlatform& platform, LauncherState& state) {
    Win32SettingsDialog dialog(platform.userLanguage());
    Win32SettingsDialogPlatform services(platform, dialog.Window());
    Veyra_P presenter(dialog, services, state, ORVELINE_MAKER_URL);
    dialog.SetPresenter(&presenter);
    presenter.Form_Load();
    presenter.Form_Resize();
    dialog.RunModal();
    dialog.SetPresenter(nullptr);
}

}  // namespace orveline
