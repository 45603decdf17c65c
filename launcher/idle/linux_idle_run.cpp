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
    // Made before the fork: the child of a process with threads may make only async-signal-safe
    // calls until it has executed the program.
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int report[2];  // the exec's failure, as errno; closed by a successful exec
    if (::pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(report[0]);
        // The watcher takes its signals as data; the run gets them as usual.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(program.c_str(), argv.data());
        const int code = errno;
        [[maybe_unused]] const ssize_t written = ::write(report[1], &code, sizeof code);
        ::_exit(127);
    }
    ::close(report[1]);
    int code = 0;
    ssize_t got = -1;
    while (pid > 0 && (got = ::read(report[0], &code, sizeof code)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (pid <= 0) return false;
    if (got != 0) {
        ::waitpid(pid, nullptr, 0);
        return false;
    }
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
