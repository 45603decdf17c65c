// Entry of the settings dialog for the start-up procedure: shows "<Orveline>" modally and
// returns when it has closed. Each platform's dialog files implement it.
#pragma once

namespace orveline {

class LauncherPlatform;
struct LauncherState;

void showSettingsDialog(LauncherPlatform& platform, LauncherState& state);

}  // namespace orveline
