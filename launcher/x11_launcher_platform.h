// The launcher's platform on Linux: X11 for window look-up by title (XCB) and the cursor (Xlib +
// XFixes), our own private-profile file code, POSIX for files, programs and the locks, and Qt
// Widgets as the forms runtime (message box, timers, hidden windows, message loop). The
// QApplication must exist before Main runs; the X display is opened on first use, so file
// operations need none. Full-screen and hosted runs both run on it: the run's placement, not the
// platform, tells them apart.
//
// Implemented in x11_launcher_platform.cpp (X11, files, programs), x11_window_titles.cpp (the
// look-up) and qt_launcher_platform.cpp (Qt parts). Forms are reached through launcher_forms.h.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "launcher_platform.h"
#include "linux_files.h"

namespace orveline {

class LinuxLauncherPlatform : public LauncherPlatform {
  public:
    // arguments: the program's arguments after its name (joined by blanks into the command line).
    explicit LinuxLauncherPlatform(std::vector<std::string> arguments);
    ~LinuxLauncherPlatform() override;

    std::string commandLine() override;
    std::string ownFolder() override;
    std::string settingsFolder() override;
    char pathSeparator() override { return '/'; }

    bool takeInstanceLock() override;
    bool windowExists(const std::string& title) override;
    bool childWindowExists(const std::string& title, std::uint32_t host) override;
    std::int32_t showCursor(std::int32_t show) override;
    bool cursorPosition(int& x, int& y) override;
    void messageBox(const std::string& caption, const std::string& text) override;
    Language userLanguage() override;

    bool canOpenForReading(const std::string& path) override;
    std::uint32_t getPrivateProfileString(const char* section, const char* key,
                                          const char* defaultValue, char* buffer,
                                          std::uint32_t size, const char* file) override;
    bool writePrivateProfileString(const char* section, const char* key, const char* value,
                                   const char* file) override;

    std::unique_ptr<StartedProgram> startProgram(const std::string& path,
                                                 const std::vector<std::string>& arguments,
                                                 int showState, bool endsWithLauncher) override;
    bool holdMusicLock() override;

    void loadRunForm(LauncherState& state, const RunPlacement& placement) override;
    void showPreview(std::int32_t hostWindow) override;
    void showSettingsDialog(LauncherState& state) override;

    [[noreturn]] void endProcess() override;
    std::unique_ptr<UiTimer> createTimer(int intervalMilliseconds,
                                         std::function<void()> onTick) override;
    std::unique_ptr<HiddenWindow> createHiddenWindow(const std::string& title,
                                                     std::function<void()> onCloseRequest) override;
    void quitMessageLoop() override;

  private:
    struct XConnection;
    struct ChildProcess;
    std::vector<std::string> arguments_;
    std::unique_ptr<XConnection> x_;
    std::vector<std::shared_ptr<ChildProcess>> children_;   // what startProgram started
    std::unique_ptr<FileLock> musicLock_;                   // once asked for
    std::vector<std::unique_ptr<FileLock>> instanceLocks_;  // held for the process's life
    std::int32_t cursorCount_ = 0;
    bool noSettingsFolderReported_ = false;
};

// True when the X display named by the environment can be opened.
bool X11DisplayAvailable();

// The settings folder for an environment: $XDG_CONFIG_HOME/orveline when that is an absolute
// path, else <home>/.config/orveline with home from $HOME or, where that is unset or relative,
// the account's home from the password database (HomeFolder); empty when there is none of them.
std::string LinuxSettingsFolder(const char* xdgConfigHome, const char* home,
                                const char* accountHome);

}  // namespace orveline
