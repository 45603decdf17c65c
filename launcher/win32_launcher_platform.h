// The launcher's platform on Windows: kernel32 and user32 through their 8-bit (A) functions (the
// message box through its wide one), and a Win32 message loop as the forms runtime (timers and
// hidden windows on one message-only window). Forms are reached through launcher_forms.h.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "launcher_platform.h"

namespace orveline {

class Win32LauncherPlatform : public LauncherPlatform {
  public:
    Win32LauncherPlatform();
    ~Win32LauncherPlatform() override;
    Win32LauncherPlatform(const Win32LauncherPlatform&) = delete;
    Win32LauncherPlatform& operator=(const Win32LauncherPlatform&) = delete;

    std::string commandLine() override;
    std::string ownFolder() override;
    std::string settingsFolder() override { return ownFolder(); }
    char pathSeparator() override { return '\\'; }
    bool isLeadByte(unsigned char byte) override;

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
    bool holdMusicLock() override { return true; }

    void loadRunForm(LauncherState& state, const RunPlacement& placement) override;
    void showPreview(std::int32_t hostWindow) override;
    void showSettingsDialog(LauncherState& state) override;

    [[noreturn]] void endProcess() override;
    std::unique_ptr<UiTimer> createTimer(int intervalMilliseconds,
                                         std::function<void()> onTick) override;
    std::unique_ptr<HiddenWindow> createHiddenWindow(const std::string& title,
                                                     std::function<void()> onCloseRequest) override;
    void quitMessageLoop() override;

    // Runs the message loop until quitMessageLoop; returns the exit code.
    int runMessageLoop();

    struct Impl;  // the message-only window that carries the timers (this file's .cpp only)

  private:
    std::unique_ptr<Impl> impl_;
};

// UTF-8 text as UTF-16, for the wide (W) functions; a byte that is no UTF-8 becomes U+FFFD.
std::wstring Utf8ToWide(const std::string& utf8);

// The argument text of a full command line: the program's name (quoted or not) and the blanks
// after it removed.
std::string ArgumentsOfCommandLine(const std::string& commandLine);

// The command line that starts path with these arguments: each word in double quotes where it
// holds a blank or a quote, in the quoting that the C runtime's argument parsing undoes.
std::string CommandLineOf(const std::string& path, const std::vector<std::string>& arguments);

}  // namespace orveline
