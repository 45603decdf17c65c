// Entry points of the launcher's forms, called by each platform's LauncherPlatform:
//   loadRunForm        the hidden run form Veyra_S ("Veyra_Main"), a full-screen run;
//   showPreview        the preview form Veyra_R ("Preview Window") inside a host window;
//   showSettingsDialog the settings dialog Veyra_P ("<Orveline>"), modal
//                      (declared in settings_dialog/show_settings_dialog.h).
// Until a form is built, launcher/forms_stub_*.cpp provide it: the stub says on stderr that the
// form is not available in this build and ends the process with kFormMissingExitCode. To drop in
// a real form, build a library target (orveline_run_form, orveline_preview or
// orveline_settings_dialog) that defines the function; launcher/CMakeLists.txt links it instead
// of the stub when the target exists.
#pragma once

#include <cstdint>

#include "settings_dialog/show_settings_dialog.h"

namespace orveline {

class LauncherPlatform;
struct LauncherState;

void loadRunForm(LauncherPlatform& platform, LauncherState& state);
void showPreview(LauncherPlatform& platform, std::int32_t hostWindow);

// Exit code of a launcher whose build lacks the form its mode needs.
inline constexpr int kFormMissingExitCode = 3;

}  // namespace orveline
