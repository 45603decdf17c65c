// The platform of this build for settings_probe, and a window's static texts (Windows only).
#pragma once

#include <memory>
#include <string>

#include "launcher_platform.h"

namespace orveline::test {

std::unique_ptr<LauncherPlatform> makeProbePlatform();
// The texts of the static controls of the top-level window with that title, one after another,
// in UTF-8.
std::string windowText(const std::string& title);

}  // namespace orveline::test
