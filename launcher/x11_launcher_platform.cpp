// Linux launcher platform, X11 and POSIX half: window look-up by title (x11_window_titles.cpp),
// the cursor through XFixes, files, the settings folder and program start. The Qt half (message
// box, timers, hidden windows, message loop) is qt_launcher_platform.cpp.
#include "x11_launcher_platform.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "launcher_forms.h"
#include "profile_file.h"
#include "x11_window_titles.h"

namespace orveline {

namespace {

// NOTE: Xlib's default error handler would end the process on an error of one of our requests
// (the root window's cursor calls); those errors are ignored.
int ignoreXError(::Display*, XErrorEvent*) {
    return 0;
}

class ScopedErrorHandler {
  public:
    ScopedErrorHandler() : previous_(XSetErrorHandler(ignoreXError)) {}
    ~ScopedErrorHandler() { XSetErrorHandler(previous_); }
    ScopedErrorHandler(const ScopedErrorHandler&) = delete;
    ScopedErrorHandler& operator=(const ScopedErrorHandler&) = delete;

  private:
    int (*previous_)(::Display*, XErrorEvent*);
};

}  // namespace

struct LinuxLauncherPlatform::XConnection {
    ::Display* display = nullptr;
    bool tried = false;
    bool fixes = false;
    std::unique_ptr<X11WindowTitles> titles;

    X11WindowTitles& windowTitles() {
        if (!titles) titles = std::make_unique<X11WindowTitles>();
        return *titles;
    }

    ::Display* get() {
        if (!tried) {
            tried = true;
            display = XOpenDisplay(nullptr);
            int event = 0;
            int error = 0;
            fixes = display && XFixesQueryExtension(display, &event, &error);
        }
        return display;
    }
    ~XConnection() {
        if (display) XCloseDisplay(display);
    }
};

LinuxLauncherPlatform::LinuxLauncherPlatform(std::vector<std::string> arguments)
    : arguments_(std::move(arguments)), x_(std::make_unique<XConnection>()) {}

LinuxLauncherPlatform::~LinuxLauncherPlatform() = default;

std::string LinuxLauncherPlatform::commandLine() {
    std::string line;
    for (const std::string& argument : arguments_) {
        if (!line.empty()) line.push_back(' ');
        line += argument;
    }
    return line;
}

std::string LinuxLauncherPlatform::ownFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return ".";
    const std::string folder = self.parent_path().string();
    return folder.empty() ? "/" : folder;
}

bool X11DisplayAvailable() {
    ::Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}

std::string LinuxSettingsFolder(const char* xdgConfigHome, const char* home,
                                const char* accountHome) {
    // Relative values are to be ignored: they would name a folder below wherever we started.
    const auto absolute = [](const char* path) { return path && path[0] == '/'; };
    if (absolute(xdgConfigHome)) return std::string(xdgConfigHome) + "/orveline";
    if (absolute(home)) return std::string(home) + "/.config/orveline";
    if (absolute(accountHome)) return std::string(accountHome) + "/.config/orveline";
    return std::string();
}

std::string LinuxLauncherPlatform::settingsFolder() {
    const char* accountHome = nullptr;
    if (const passwd* account = ::getpwuid(::getuid())) accountHome = account->pw_dir;
    std::string folder =
        LinuxSettingsFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"), accountHome);
    if (folder.empty() && !noSettingsFolderReported_) {
        noSettingsFolderReported_ = true;
        std::fprintf(stderr,
                     "Orveline.scr: no home folder (HOME is not set and the account has none): "
                     "settings are neither read nor saved\n");
    }
    return folder;
}

bool LinuxLauncherPlatform::windowExists(const std::string& title) {
    return x_->windowTitles().exists(title);
}

std::int32_t LinuxLauncherPlatform::showCursor(std::int32_t show) {
    // The display count of the show-cursor call: the cursor is visible while it is 0 or more.
    const bool wasVisible = cursorCount_ >= 0;
    cursorCount_ += show ? 1 : -1;
    const bool visible = cursorCount_ >= 0;
    ::Display* display = x_->get();
    if (display && x_->fixes && wasVisible != visible) {
        ScopedErrorHandler errors;
        if (visible) {
            XFixesShowCursor(display, DefaultRootWindow(display));
        } else {
            XFixesHideCursor(display, DefaultRootWindow(display));
        }
        XSync(display, False);
    }
    return cursorCount_;
}

bool LinuxLauncherPlatform::cursorPosition(int& x, int& y) {
    ::Display* display = x_->get();
    if (!display) return false;
    Window root = 0;
    Window child = 0;
    int winX = 0;
    int winY = 0;
    unsigned int mask = 0;
    return XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &winX, &winY,
                         &mask);
}

bool LinuxLauncherPlatform::canOpenForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info {};
    const bool isFile = ::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
    ::close(fd);
    return isFile;
}

std::uint32_t LinuxLauncherPlatform::getPrivateProfileString(const char* section, const char* key,
                                                             const char* defaultValue, char* buffer,
                                                             std::uint32_t size, const char* file) {
    return ProfileGetString(section, key, defaultValue, buffer, size, file);
}

bool LinuxLauncherPlatform::writePrivateProfileString(const char* section, const char* key,
                                                      const char* value, const char* file) {
    // The settings live under the user's configuration folder, made on the first save.
    if (file) {
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::path(file).parent_path();
        if (!folder.empty()) std::filesystem::create_directories(folder, error);
    }
    return ProfileWriteString(section, key, value, file);
}

namespace {

// The program is our child, so that its end can be learnt (and its process reaped) by waitpid.
class ChildProgram : public StartedProgram {
  public:
    explicit ChildProgram(pid_t pid) : pid_(pid) {}
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool running() override {
        if (ended_) return false;
        int status = 0;
        pid_t result = 0;
        do {
            result = ::waitpid(pid_, &status, WNOHANG);
        } while (result < 0 && errno == EINTR);
        // An error means the child is no longer ours to wait for: it has ended.
        ended_ = result != 0;
        return !ended_;
    }

  private:
    pid_t pid_;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<StartedProgram> LinuxLauncherPlatform::startProgram(const std::string& path, int) {
    // In a session of its own: a terminal's or a session's signals to the launcher do not reach
    // it, and it outlives the launcher. posix_spawn reports a program that cannot be executed.
    posix_spawnattr_t attributes;
    if (::posix_spawnattr_init(&attributes) != 0) return nullptr;
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, path.c_str(), nullptr, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    if (error != 0) return nullptr;
    return std::make_unique<ChildProgram>(pid);
}

void LinuxLauncherPlatform::loadRunForm(LauncherState& state) {
    orveline::loadRunForm(*this, state);
}

void LinuxLauncherPlatform::showPreview(std::int32_t hostWindow) {
    orveline::showPreview(*this, hostWindow);
}

void LinuxLauncherPlatform::showSettingsDialog(LauncherState& state) {
    orveline::showSettingsDialog(*this, state);
}

void LinuxLauncherPlatform::endProcess() {
    std::fflush(nullptr);
    ::_exit(0);
}

}  // namespace orveline
