// The idle watcher's runs; see linux_idle_run.h.
#include "linux_idle_run.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "linux_process.h"

namespace orveline {

namespace {

// The process's parent and start time, from /proc/PID/stat; false when it is gone or a zombie.
bool processInfo(pid_t pid, pid_t& parent, unsigned long long& start) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "re"), std::fclose);
    char line[1024];
    if (!file || !std::fgets(line, sizeof line, file.get())) return false;
    // "pid (name) state ppid ...": the name can hold anything, so read from its last ')'.
    const char* close = std::strrchr(line, ')');
    char state = 0;
    long ppid = 0;
    if (!close || std::sscanf(close + 1,
                              " %c %ld %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d "
                              "%*d %*d %*d %llu",
                              &state, &ppid, &start) != 3)
        return false;
    parent = static_cast<pid_t>(ppid);
    return state != 'Z';
}

std::vector<IdleRun::Process> childrenOf(pid_t parent) {
    std::vector<IdleRun::Process> found;
    const std::unique_ptr<DIR, int (*)(DIR*)> proc(::opendir("/proc"), ::closedir);
    if (!proc) return found;
    while (const dirent* entry = ::readdir(proc.get())) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        pid_t ppid = 0;
        unsigned long long start = 0;
        if (pid > 0 && *end == '\0' && processInfo(static_cast<pid_t>(pid), ppid, start) &&
            ppid == parent)
            found.push_back({static_cast<pid_t>(pid), start});
    }
    return found;
}

bool alive(const IdleRun::Process& process) {
    pid_t parent = 0;
    unsigned long long start = 0;
    return processInfo(process.pid, parent, start) && start == process.start;
}

}  // namespace

bool IdleRun::start(const std::string& program, const std::vector<std::string>& arguments) {
    // The watcher takes its signals as data; the run gets them as usual.
    const pid_t pid = StartChildProgram(program, arguments, ChildTie::Plain);
    if (pid <= 0) return false;
    launcher_ = pid;
    up_ = true;
    return true;
}

bool IdleRun::reapEnded() {
    bool ended = false;
    pid_t pid = 0;
    while ((pid = ::waitpid(-1, nullptr, WNOHANG)) > 0) {
        if (pid != launcher_) continue;
        launcher_ = 0;
        ended = up_;
        up_ = false;
    }
    return ended;
}

void IdleRun::terminate() {
    if (launcher_ <= 0) return;
    started_ = childrenOf(launcher_);
    ::kill(launcher_, SIGTERM);
}

void IdleRun::finish(int waitMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    bool leftAsked = false;
    const auto anyLeft = [this] {
        for (const Process& process : started_) {
            if (alive(process)) return true;
        }
        return false;
    };
    // A short wait that ends with the run: only on the way out.
    while (Clock::now() < deadline) {
        reapEnded();
        if (launcher_ == 0 && !leftAsked) {
            // NOTE: a launcher ended by the signal's default action leaves its renderer up.
            for (const Process& process : started_) {
                if (alive(process)) ::kill(process.pid, SIGTERM);
            }
            leftAsked = true;
        }
        if (launcher_ == 0 && !anyLeft()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (launcher_ > 0) {
        ::kill(launcher_, SIGKILL);
        ::waitpid(launcher_, nullptr, 0);
        launcher_ = 0;
    }
    for (const Process& process : started_) {
        if (alive(process)) ::kill(process.pid, SIGKILL);
    }
    started_.clear();
    up_ = false;
}

}  // namespace orveline
