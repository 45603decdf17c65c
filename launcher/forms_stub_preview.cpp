// Stand-in for the preview form in builds that lack it: says so and ends.
#include <cstdio>
#include <cstdlib>

#include "launcher_forms.h"

namespace orveline {

void showPreview(LauncherPlatform&, std::int32_t) {
    std::fprintf(stderr, "Orveline.scr: the preview is not available in this build\n");
    std::fflush(nullptr);
    std::_Exit(kFormMissingExitCode);
}

}  // namespace orveline
