// Linux launcher platform, X11 and POSIX half: window look-up by title (x11_window_titles.cpp),
// the cursor through XFixes, files, the settings folder, program start and the music lock. The Qt
// half (message box, timers, hidden windows, message loop) is qt_launcher_platform.cpp.
#include "x11_launcher_platform.h"

#include <X11/extensions/Xfixes.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <signal.h>
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
#include "linux_files.h"
#include "linux_process.h"
#include "profile_file.h"
#include "x11_support.h"
#include "x11_window_titles.h"

namespace orveline {

namespace {

// How long a program that ends with the launcher has to end by itself on our SIGTERM before
// SIGKILL; a daemon wants the run over within half a second.
constexpr int kChildStopMilliseconds = 150;

}  // namespace

struct LinuxLauncherPlatform::XConnection {
    DisplayHandle display;
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
            display = OpenDisplay();
            int event = 0;
            int error = 0;
            fixes = display && XFixesQueryExtension(display.get(), &event, &error);
        }
        return display.get();
    }
};

// A started program: our child, so that its end can be learnt (and its process reaped) by
// waitpid, and one that ends with the launcher can be stopped at the end.
struct LinuxLauncherPlatform::ChildProcess {
    pid_t pid = -1;
    bool endsWithLauncher = false;
    bool ended = false;

    bool running() {
        if (ended) return false;
        int status = 0;
        pid_t result = 0;
        do {
            result = ::waitpid(pid, &status, WNOHANG);
        } while (result < 0 && errno == EINTR);
        // An error means the child is no longer ours to wait for: it has ended.
        ended = result != 0;
        return !ended;
    }

    void stop() {
        if (!running()) return;
        ::kill(pid, SIGTERM);
        for (int waited = 0; waited < kChildStopMilliseconds; waited += 5) {
            ::usleep(5000);
            if (!running()) return;
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ended = true;
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
    return OpenDisplay() != nullptr;
}

std::string LinuxSettingsFolder(const char* xdgConfigHome, const char* home,
                                const char* accountHome) {
    // Relative values are to be ignored: they would name a folder below wherever we started.
    if (xdgConfigHome && xdgConfigHome[0] == '/') return std::string(xdgConfigHome) + "/orveline";
    const std::string folder = HomeFolder(home, accountHome);
    return folder.empty() ? folder : folder + "/.config/orveline";
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

bool LinuxLauncherPlatform::childWindowExists(const std::string& title, std::uint32_t host) {
    return host != 0 && x_->windowTitles().exists(title, host);
}

std::int32_t LinuxLauncherPlatform::showCursor(std::int32_t show) {
    // The display count of the show-cursor call: the cursor is visible while it is 0 or more.
    const bool wasVisible = cursorCount_ >= 0;
    cursorCount_ += show ? 1 : -1;
    const bool visible = cursorCount_ >= 0;
    ::Display* display = x_->get();
    if (display && x_->fixes && wasVisible != visible) {
        XErrorTrap errors(display);
        if (visible) {
            XFixesShowCursor(display, DefaultRootWindow(display));
        } else {
            XFixesHideCursor(display, DefaultRootWindow(display));
        }
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
    return ProfileWriteString(section, key, value, file, SaveSettingsFile);
}

std::unique_ptr<StartedProgram> LinuxLauncherPlatform::startProgram(
    const std::string& path, const std::vector<std::string>& arguments, int,
    bool endsWithLauncher) {
    // Hosted renderers end with us; a full-screen one, in a session of its own, outlives a killed
    // launcher and misses a terminal's or a session's signals to it.
    const pid_t pid = StartChildProgram(
        path, arguments, endsWithLauncher ? ChildTie::EndsWithParent : ChildTie::OwnSession);
    if (pid <= 0) return nullptr;
    auto child = std::make_shared<ChildProcess>();
    child->pid = pid;
    child->endsWithLauncher = endsWithLauncher;
    children_.push_back(child);

    class Started : public StartedProgram {
      public:
        explicit Started(std::shared_ptr<ChildProcess> child) : child_(std::move(child)) {}
        bool running() override { return child_->running(); }
        void stop() override { child_->stop(); }

      private:
        std::shared_ptr<ChildProcess> child_;
    };
    return std::make_unique<Started>(std::move(child));
}

bool LinuxLauncherPlatform::holdMusicLock() {
    if (!musicLock_) {
        // In a folder no other user can have made: one could otherwise hold our lock for us.
        const std::string folder = RuntimeFolder(std::getenv("XDG_RUNTIME_DIR"));
        musicLock_ =
            std::make_unique<FileLock>(folder.empty() ? folder : folder + "/orveline-music.lock");
    }
    // One copy with music beats none.
    return !musicLock_->opened() || musicLock_->take();
}

bool LinuxLauncherPlatform::takeInstanceLock() {
    // Per display, as the window look-up is; a lock of each display the environment names, so
    // that copies on one desktop meet whether they see its X display, its Wayland one or both.
    const std::string folder = RuntimeFolder(std::getenv("XDG_RUNTIME_DIR"));
    if (folder.empty()) return true;
    for (const std::string& name :
         InstanceLockNames(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))) {
        auto lock = std::make_unique<FileLock>(folder + "/" + name);
        if (lock->take()) {
            instanceLocks_.push_back(std::move(lock));
        } else if (lock->opened()) {
            return false;
        }
    }
    return true;
}

void LinuxLauncherPlatform::loadRunForm(LauncherState& state, const RunPlacement& placement) {
    orveline::loadRunForm(*this, state, placement);
}

void LinuxLauncherPlatform::showPreview(std::int32_t hostWindow) {
    orveline::showPreview(*this, hostWindow);
}

void LinuxLauncherPlatform::showSettingsDialog(LauncherState& state) {
    orveline::showSettingsDialog(*this, state);
}

void LinuxLauncherPlatform::endProcess() {
    // Nothing that is to end with us outlives the run: a daemon that waits for our end finds
    // every process of ours gone.
    for (const std::shared_ptr<ChildProcess>& child : children_) {
        if (child->endsWithLauncher) child->stop();
    }
    std::fflush(nullptr);
    ::_exit(0);
}

}  // namespace orveline
