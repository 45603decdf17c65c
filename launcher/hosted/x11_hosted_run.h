// The Linux entries of hosted runs (see hosted_run.h), called by the launcher's main.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orveline {

// A screen-saver daemon's command line: runs the hosted copy (the QApplication must exist) and
// returns the process's exit code. Nothing when the arguments are not a daemon's.
std::optional<int> RunHosted(const std::vector<std::string>& arguments);

// "--add-to-xscreensaver": adds "orveline --root" to the user's ~/.xscreensaver, which is started
// from the daemon's system defaults where there is none. Needs no display. Nothing for any other
// command line.
std::optional<int> AddToXScreenSaver(const std::vector<std::string>& arguments);

}  // namespace orveline
