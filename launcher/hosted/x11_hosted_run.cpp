// Hosted runs on Linux: the launcher's platform with three changes, so that the run form drives a
// hosted run as it drives a full-screen one (music timers, close requests, the end):
//   - the renderer starts as our child, drawing in a child window of the host (--window-id);
//   - the watch finds the renderer's "OrvelineVC" window among the host's children, while the
//     child process lives;
//   - the end of the process stops the renderer first, so nothing of ours outlives the run.
// The music lock in $XDG_RUNTIME_DIR lets one copy of several (one per monitor) play the music.
#include "x11_hosted_run.h"

#include <QApplication>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "hosted_run.h"
#include "launcher_forms.h"
#include "launcher_state.h"
#include "veyra_b.h"
#include "x11_launcher_platform.h"

namespace orveline {

namespace {

// The hidden run form of a hosted copy: not "Veyra_Main", so that hosted copies and a
// full-screen run never end each other.
constexpr char kHostedFormTitle[] = "Veyra_Hosted";
// How long the renderer has to end by itself on our SIGTERM before SIGKILL; the X server
// takes its window away either way, and a daemon wants the run over within half a second.
constexpr int kRendererStopMilliseconds = 150;

// NOTE: the daemon's windows can go at any moment; Xlib's default handler would end the process
// on the BadWindow that follows. Errors of our requests are ignored and the results checked.
int ignoreXError(::Display*, XErrorEvent*) {
    return 0;
}

struct DisplayCloser {
    void operator()(::Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<::Display, DisplayCloser>;

// One copy of several plays the music: the one that holds this lock, for as long as it runs.
class MusicLock {
  public:
    MusicLock() = default;
    ~MusicLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    MusicLock(const MusicLock&) = delete;
    MusicLock& operator=(const MusicLock&) = delete;

    // False when another copy holds it; true also when no lock can be made at all (one copy
    // with music beats none).
    bool acquire() {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        const std::string path =
            (runtime && runtime[0] == '/')
                ? std::string(runtime) + "/orveline-music.lock"
                : "/tmp/orveline-music-" + std::to_string(::getuid()) + ".lock";
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) return true;
        return ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    }

  private:
    int fd_ = -1;
};

// The run form's hold on the renderer: it runs while our child does.
class HostedRenderer final : public StartedProgram {
  public:
    explicit HostedRenderer(std::function<bool()> running) : running_(std::move(running)) {}
    bool running() override { return running_(); }

  private:
    std::function<bool()> running_;
};

class HostedLauncherPlatform final : public LinuxLauncherPlatform {
  public:
    HostedLauncherPlatform(std::vector<std::string> arguments, DisplayHandle display, Window host)
        : LinuxLauncherPlatform(std::move(arguments)), display_(std::move(display)), host_(host) {}

    bool windowExists(const std::string& title) override {
        if (title != kRendererWindowTitle) return LinuxLauncherPlatform::windowExists(title);
        return rendererRunning() && rendererWindowInHost();
    }

    std::unique_ptr<StartedProgram> startProgram(const std::string& path, int) override {
        if (renderer_ > 0) return nullptr;
        std::string program = path;
        char option[] = "--window-id";
        char id[32];
        std::snprintf(id, sizeof id, "0x%lx", host_);
        char* const argv[] = {program.data(), option, id, nullptr};
        int report[2];
        if (::pipe2(report, O_CLOEXEC) != 0) return nullptr;
        const pid_t parent = ::getpid();
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(report[0]);
            // The renderer ends with us, however we end (SIGKILL included).
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent) ::_exit(0);
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::execv(program.c_str(), argv);
            const int code = errno;
            [[maybe_unused]] const ssize_t written = ::write(report[1], &code, sizeof code);
            ::_exit(127);
        }
        ::close(report[1]);
        int code = 0;
        const ssize_t got = child > 0 ? ::read(report[0], &code, sizeof code) : -1;
        ::close(report[0]);
        if (child > 0 && got != 0) ::waitpid(child, nullptr, 0);
        if (child <= 0 || got != 0) return nullptr;
        renderer_ = child;
        return std::make_unique<HostedRenderer>([this] { return rendererRunning(); });
    }

    void loadRunForm(LauncherState& state) override { orveline::loadRunForm(*this, state); }

    std::unique_ptr<HiddenWindow> createHiddenWindow(
        const std::string& title, std::function<void()> onCloseRequest) override {
        return LinuxLauncherPlatform::createHiddenWindow(
            title == kRunFormTitle ? kHostedFormTitle : title, std::move(onCloseRequest));
    }

    [[noreturn]] void endProcess() override {
        stopRenderer();
        LinuxLauncherPlatform::endProcess();
    }

  private:
    bool rendererRunning() {
        if (renderer_ <= 0) return false;
        if (::waitpid(renderer_, nullptr, WNOHANG) == 0) return true;
        renderer_ = -1;
        return false;
    }

    bool rendererWindowInHost() {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display_.get(), host_, &root, &parent, &children, &count)) return false;
        bool found = false;
        for (unsigned int i = 0; i < count && !found; ++i) {
            char* name = nullptr;
            if (XFetchName(display_.get(), children[i], &name) && name) {
                found = std::strcmp(name, kRendererWindowTitle) == 0;
                XFree(name);
            }
        }
        if (children) XFree(children);
        return found;
    }

    void stopRenderer() {
        if (renderer_ <= 0) return;
        ::kill(renderer_, SIGTERM);
        for (int waited = 0; waited < kRendererStopMilliseconds; waited += 5) {
            if (::waitpid(renderer_, nullptr, WNOHANG) != 0) return;
            ::usleep(5000);
        }
        ::kill(renderer_, SIGKILL);
        ::waitpid(renderer_, nullptr, 0);
    }

    DisplayHandle display_;
    Window host_;
    pid_t renderer_ = -1;
};

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

// Writes through a link and keeps the file's permissions; the daemon never sees half a file.
bool replaceFile(const std::string& path, const std::string& text) {
    char resolved[PATH_MAX];
    const std::string target = ::realpath(path.c_str(), resolved) ? resolved : path;
    struct stat info {};
    const bool existed = ::stat(target.c_str(), &info) == 0;
    const std::string temporary = target + ".orveline-new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = !existed || ::fchmod(fd, info.st_mode & 07777) == 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

}  // namespace

std::optional<int> RunHosted(const std::vector<std::string>& arguments) {
    const HostedCommand command = ParseHostedCommand(arguments, std::getenv("XSCREENSAVER_WINDOW"));
    if (!command.hosted) return std::nullopt;
    if (!command.error.empty()) {
        std::fprintf(stderr, "Orveline.scr: %s\n", command.error.c_str());
        return 1;
    }
    DisplayHandle display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "Orveline.scr: cannot open the X display\n");
        return 1;
    }
    XSetErrorHandler(ignoreXError);
    const Window host = command.window ? command.window : DefaultRootWindow(display.get());
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display.get(), host, &attributes)) {
        std::fprintf(stderr, "Orveline.scr: there is no X window 0x%lx\n", host);
        return 1;
    }

    MusicLock lock;
    const bool music = command.music && lock.acquire();
    HostedLauncherPlatform platform(arguments, std::move(display), host);
    LauncherState state;
    switch (HostedMain(platform, state, music)) {
        case HostedStart::SettingsDialogOpen:
            return 0;
        case HostedStart::RendererMissing:
            std::fprintf(stderr, "Orveline.scr: %s is missing\n", RendererPath(platform).c_str());
            return 1;
        case HostedStart::Running:
            break;
    }
    return QApplication::exec();
}

std::optional<int> AddToXScreenSaver(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1 || arguments[0] != "--add-to-xscreensaver") return std::nullopt;
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) {
        std::fprintf(stderr, "orveline: HOME is not set\n");
        return 1;
    }
    const std::string path = std::string(home) + "/.xscreensaver";
    std::string text;
    std::string defaults;
    if (!readFile(path, text) && ::access(path.c_str(), F_OK) == 0) {
        std::fprintf(stderr, "orveline: cannot read %s\n", path.c_str());
        return 1;
    }
    readFile("/etc/X11/app-defaults/XScreenSaver", defaults);
    if (!AddXScreenSaverProgram(text, kHostedCommandLine, defaults)) {
        std::printf("orveline: %s already lists \"%s\"\n", path.c_str(), kHostedCommandLine);
        return 0;
    }
    if (!replaceFile(path, text)) {
        std::fprintf(stderr, "orveline: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    std::printf("orveline: added \"%s\" to %s; choose Orveline in xscreensaver-settings\n",
                kHostedCommandLine, path.c_str());
    return 0;
}

}  // namespace orveline
