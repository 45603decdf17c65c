#include "probe_platform.h"
#include "x11_launcher_platform.h"

namespace orveline::test {

std::unique_ptr<LauncherPlatform> makeProbePlatform() {
    return std::make_unique<LinuxLauncherPlatform>(std::vector<std::string>{});
}

std::string windowText(const std::string&) {
    return std::string();
}

}  // namespace orveline::test
