// Stand-in for the settings dialog in builds that lack it: says so and ends.
#include <cstdio>
#include <cstdlib>

#include "launcher_forms.h"

namespace orveline {

void showSettingsDialog(LauncherPlatform&, LauncherState&) {
    std::fprintf(stderr, "Orveline.scr: the settings dialog is not available in this build\n");
    std::fflush(nullptr);
    std::_Exit(kFormMissingExitCode);
}

}  // namespace orveline
