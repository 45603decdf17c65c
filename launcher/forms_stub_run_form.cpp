// Stand-in for the run form in builds that lack it: says so and ends; it never pretends to run.
#include <cstdio>
#include <cstdlib>

#include "launcher_forms.h"

namespace orveline {

void loadRunForm(LauncherPlatform&, LauncherState&) {
    std::fprintf(stderr, "Orveline.scr: the full-screen run is not available in this build\n");
    std::fflush(nullptr);
    std::_Exit(kFormMissingExitCode);
}

}  // namespace orveline
