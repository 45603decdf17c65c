// The Linux entries of hosted runs (see hosted_command.h and xscreensaver_list.h), called by the
// launcher's main.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hosted_command.h"

namespace orveline {

class LauncherPlatform;
struct LauncherState;

// A screen-saver daemon's command line (a hosted command without error): checks the host window
// and starts the hosted run on the platform (the QApplication must exist). Nothing when the run
// goes on (the message loop keeps it); otherwise the process's exit code.
std::optional<int> StartHosted(LauncherPlatform& platform, LauncherState& state,
                               const HostedCommand& command);

// "--add-to-xscreensaver": adds "orveline --root" to the user's ~/.xscreensaver, which is started
// from the daemon's system defaults where there is none. Needs no display. Nothing for any other
// command line.
std::optional<int> AddToXScreenSaver(const std::vector<std::string>& arguments);

}  // namespace orveline
