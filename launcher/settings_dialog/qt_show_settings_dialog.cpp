// Linux entry of the settings dialog: the Qt form, its presenter and the services around it,
// shown modally on the launcher's QApplication.
#include <QApplication>

#include "launcher_platform.h"
#include "launcher_state.h"
#include "qt_settings_dialog.h"
#include "show_settings_dialog.h"

#ifndef ORVELINE_MAKER_URL
#define ORVELINE_MAKER_URL "https://orveline.example.org/"
#endif

namespace orveline {

void showSettingsDialog(LauncherPlatform& platform, LauncherState& state) {
    QtSettingsDialog dialog(platform.userLanguage());
    QtSettingsDialogPlatform services(platform, &dialog);
    Veyra_P presenter(dialog, services, state, ORVELINE_MAKER_URL);
    dialog.SetPresenter(&presenter);
    dialog.ensurePolished();
    presenter.Form_Load();
    presenter.Form_Resize();
    dialog.exec();
    dialog.SetPresenter(nullptr);
}

}  // namespace orveline
