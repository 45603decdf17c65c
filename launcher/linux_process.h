// Starting a program from the launcher on Linux, a process with threads (Qt's): everything the
// child needs is made before the fork, and the child makes only async-signal-safe calls until it
// has executed the program. An exec that fails is reported back through a pipe, so the caller
// knows at once that nothing was started.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace orveline {

// How the started program is tied to the process that starts it.
enum class ChildTie {
    Plain,           // an ordinary child: the caller's session, no signal at the caller's end
    EndsWithParent,  // SIGTERM when the caller ends, however it ends (SIGKILL included)
    OwnSession,      // a session of its own: the caller's terminal or session signals miss it
};

// Starts path with arguments (argv[0] is path), with no signal blocked. The child's pid, or -1
// when it could not be started (the failed child is reaped).
pid_t StartChildProgram(const std::string& path, const std::vector<std::string>& arguments,
                        ChildTie tie);

}  // namespace orveline
