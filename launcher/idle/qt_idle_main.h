// `orveline --on-idle [SECONDS]` on Linux: the idle watcher's process (see idle_watcher.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orveline {

// Runs the watcher for that command line until a termination request or the desktop's end, and
// gives its exit code; nothing for any other command line. Needs no QApplication: it makes its
// own event loop.
std::optional<int> OnIdle(const std::vector<std::string>& arguments);

}  // namespace orveline
