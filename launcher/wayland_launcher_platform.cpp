#include "wayland_launcher_platform.h"

#include <QLibraryInfo>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "veyra_b.h"

namespace orveline {

namespace {

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
