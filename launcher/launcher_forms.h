// Entry points of the launcher's forms, called by each platform's LauncherPlatform:
//   loadRunForm        the hidden run form Veyra_S ("Veyra_Main"), a full-screen run, or a hosted
//                      run, as its placement says;
//   showPreview        the preview form Veyra_R ("Preview Window") inside a host window;
//   showSettingsDialog the settings dialog Veyra_P ("<Orveline>"), modal
//                      (declared in settings_dialog/show_settings_dialog.h).
// Each is defined by its form's library: orveline_run_form, orveline_preview,
// orveline_settings_dialog.
#pragma once

#include <cstdint>

#include "settings_dialog/show_settings_dialog.h"

namespace orveline {

class LauncherPlatform;
struct LauncherState;
struct RunPlacement;

void loadRunForm(LauncherPlatform& platform, LauncherState& state, const RunPlacement& placement);
void showPreview(LauncherPlatform& platform, std::int32_t hostWindow);

}  // namespace orveline
