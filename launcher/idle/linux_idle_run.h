// The full-screen runs the idle watcher starts (Linux): the launcher as our child; the run ends
// with it. A termination request goes to the launcher, which ends its renderer; a renderer it
// leaves behind is ended too, so that the watcher's end leaves no process of the run.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace orveline {

class IdleRun {
  public:
    // Starts program with arguments; false when it could not be started.
    bool start(const std::string& program, const std::vector<std::string>& arguments);
    // Reaps what has ended (on SIGCHLD); true when the run's launcher has ended.
    bool reapEnded();
    bool up() const { return up_; }
    // A termination request to the run: SIGTERM to the launcher.
    void terminate();
    // Waits up to waitMs for the launcher and the programs it had started to end (those that
    // outlive it get SIGTERM), then kills what is left.
    void finish(int waitMs);

    // A process, told apart from a later one with its number by its start time.
    struct Process {
        pid_t pid;
        unsigned long long start;
    };

  private:
    pid_t launcher_ = 0;
    bool up_ = false;
    std::vector<Process> started_;  // the launcher's children when it was asked to end
};

}  // namespace orveline
