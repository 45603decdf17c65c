#include "wayland_launcher_platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QLibraryInfo>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "veyra_b.h"

namespace orveline {

namespace {

// The lock file of a form's title for this compositor; empty without a private runtime folder.
std::string lockPath(const std::string& title) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (runtime == nullptr || runtime[0] != '/' || display == nullptr) return std::string();
    std::string name = std::string(display) + "-" + title;
    for (char& c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!plain) c = '_';
    }
    return std::string(runtime) + "/orveline-" + name + ".lock";
}

// A form's presence: an exclusive lock on its file while the form is up.
class TitleLock {
  public:
    explicit TitleLock(const std::string& title) {
        const std::string path = lockPath(title);
        if (path.empty()) return;
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) return;
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            heldElsewhere_ = errno == EWOULDBLOCK;
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~TitleLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    TitleLock(const TitleLock&) = delete;
    TitleLock& operator=(const TitleLock&) = delete;

    bool heldElsewhere() const { return heldElsewhere_; }

  private:
    int fd_ = -1;
    bool heldElsewhere_ = false;
};

bool lockedTitle(const std::string& title) {
    return title == kRunFormTitle || title == kSettingsDialogTitle;
}

// The run form's hidden window, with the run's lock held as long as it exists.
class LockedHiddenWindow final : public HiddenWindow {
  public:
    LockedHiddenWindow(std::unique_ptr<HiddenWindow> window, const std::string& title)
        : window_(std::move(window)), lock_(title) {}

  private:
    std::unique_ptr<HiddenWindow> window_;
    TitleLock lock_;
};

// The run form's hold on the renderer, shared with the look-up that stands for its window.
class SharedProgram final : public StartedProgram {
  public:
    explicit SharedProgram(std::shared_ptr<StartedProgram> program)
        : program_(std::move(program)) {}
    bool running() override { return program_->running(); }
    void stop() override { program_->stop(); }

  private:
    std::shared_ptr<StartedProgram> program_;
};

}  // namespace

WaylandLauncherPlatform::WaylandLauncherPlatform(std::vector<std::string> arguments)
    : LinuxLauncherPlatform(std::move(arguments)) {}

bool WaylandLauncherPlatform::windowExists(const std::string& title) {
    if (title == kRendererWindowTitle && renderer_) return renderer_->running();
    if (lockedTitle(title) && TitleLock(title).heldElsewhere()) return true;
    return LinuxLauncherPlatform::windowExists(title);
}

std::unique_ptr<StartedProgram> WaylandLauncherPlatform::startProgram(
    const std::string& path, const std::vector<std::string>& arguments, int showState,
    bool endsWithLauncher) {
    std::unique_ptr<StartedProgram> program =
        LinuxLauncherPlatform::startProgram(path, arguments, showState, endsWithLauncher);
    if (!program || std::filesystem::path(path).filename() != kRendererFileName) return program;
    renderer_ = std::move(program);
    return std::make_unique<SharedProgram>(renderer_);
}

std::unique_ptr<HiddenWindow> WaylandLauncherPlatform::createHiddenWindow(
    const std::string& title, std::function<void()> onCloseRequest) {
    std::unique_ptr<HiddenWindow> window =
        LinuxLauncherPlatform::createHiddenWindow(title, std::move(onCloseRequest));
    if (!window || !lockedTitle(title)) return window;
    return std::make_unique<LockedHiddenWindow>(std::move(window), title);
}

void WaylandLauncherPlatform::showSettingsDialog(LauncherState& state) {
    const TitleLock lock(kSettingsDialogTitle);
    LinuxLauncherPlatform::showSettingsDialog(state);
}

bool WaylandDesktop() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    return display != nullptr && display[0] != '\0';
}

std::optional<std::string> WaylandOnlyRefusal(const std::vector<std::string>& arguments) {
    const std::string first = arguments.empty() ? std::string() : arguments.front();
    if (first == "--root" || first == "--window-id" ||
        (first.size() >= 2 && (first[1] == 'p' || first[1] == 'P')))
        return std::string("this mode draws into X windows, and DISPLAY names no X display");
    // NOTE: without its platform plugin Qt would abort the process; say what is missing instead.
    const std::filesystem::path platforms =
        std::filesystem::path(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString()) /
        "platforms";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(platforms, error)) {
        if (entry.path().filename().string().rfind("libqwayland", 0) == 0) return std::nullopt;
    }
    return std::string("there is no X display, and Qt's Wayland support (qt6-wayland) is missing");
}

}  // namespace orveline
