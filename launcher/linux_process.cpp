// See linux_process.h.
#include "linux_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace orveline {

pid_t StartChildProgram(const std::string& path, const std::vector<std::string>& arguments,
                        ChildTie tie) {
    std::vector<std::string> words{path};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int report[2];  // the exec's failure, as errno; closed by a successful exec
    if (::pipe2(report, O_CLOEXEC) != 0) return -1;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(report[0]);
        if (tie == ChildTie::EndsWithParent) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            // The parent may have ended before the signal was asked for.
            if (::getppid() != parent) ::_exit(0);
        } else if (tie == ChildTie::OwnSession) {
            ::setsid();
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(path.c_str(), argv.data());
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
    if (pid <= 0) return -1;
    if (got != 0) {
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

}  // namespace orveline
