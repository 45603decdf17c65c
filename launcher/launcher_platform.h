// The launcher's platform: everything the portable launcher (start-up, settings file, forms)
// asks of the operating system and of its forms runtime. One implementation per platform:
//   win32_launcher_platform.cpp  kernel32/user32 A functions and a Win32 message loop;
//   x11_launcher_platform.cpp    XCB/Xlib/XFixes, our own private-profile file code, Qt Widgets.
// Unit tests use a recording fake (tests/support/fake_launcher_platform.h).
//
// Texts are the platform's 8-bit bytes (Windows: the ANSI code page; Linux: UTF-8 paths), with
// two exceptions stated below: message-box texts are UTF-8, and the settings keys are the same
// code-page-932 bytes everywhere (see veyra_b.h).
//
// Seam for the forms (run form, preview form, settings dialog): Main reaches them only through
// loadRunForm, showPreview and showSettingsDialog below. Each platform forwards them to the free
// functions declared in launcher/launcher_forms.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "run_placement.h"
#include "texts.h"

namespace orveline {

struct LauncherState;

// A repeating timer whose ticks arrive on the launcher's user-interface thread, through its
// message loop: a tick never interrupts another handler. Created switched off.
class UiTimer {
  public:
    virtual ~UiTimer() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
};

// A top-level window that is never shown but carries a title that window look-ups find (the
// run form "Veyra_Main"). A close request from elsewhere calls onCloseRequest.
class HiddenWindow {
  public:
    virtual ~HiddenWindow() = default;
};

// A program that startProgram started. It never ends the program; it tells whether the program's
// process still runs (the platform holds the process handle for that: on Linux our child, on
// Windows the process handle).
class StartedProgram {
  public:
    virtual ~StartedProgram() = default;
    virtual bool running() = 0;
    // Ends it now, asked to end first where the system can ask (a termination request to the
    // run); where it cannot, the program is left to end by itself.
    virtual void stop() {}
};

class LauncherPlatform {
  public:
    virtual ~LauncherPlatform() = default;

    // --- what the process was given
    // The argument text that follows the program's own name.
    virtual std::string commandLine() = 0;
    // The launcher's own folder: no trailing separator, except at a root ("C:\", "/").
    virtual std::string ownFolder() = 0;
    // The folder of the settings file: the own folder on Windows,
    // $XDG_CONFIG_HOME/orveline (default ~/.config/orveline) on Linux. Empty when there is
    // none (a Linux account without a home): nothing is then read or saved.
    virtual std::string settingsFolder() = 0;
    // The path separator that joins a folder and a file name: '\\' or '/'.
    virtual char pathSeparator() = 0;
    // True for a byte that starts a double-byte character in the platform's 8-bit code page (a
    // following '\\' is then part of that character, not a separator).
    virtual bool isLeadByte(unsigned char) { return false; }

    // --- windows and cursor
    // The single-instance lock of the copy that will show a run form or the settings dialog:
    // taken now, when it is free, and held until the process ends. False when another copy holds
    // it; true also where no lock can be made (the window look-up alone then decides).
    virtual bool takeInstanceLock() = 0;
    // True when a top-level window with exactly this title exists, hidden ones included.
    virtual bool windowExists(const std::string& title) = 0;
    // True when a child window of host (an X window id, or a window handle) with exactly this
    // title exists: a renderer drawing inside a host.
    virtual bool childWindowExists(const std::string& title, std::uint32_t host) = 0;
    // The show-cursor call: a non-zero flag shows (count + 1), zero hides (count - 1); returns
    // the new display count. The cursor is visible while the count is 0 or more.
    virtual std::int32_t showCursor(std::int32_t show) = 0;
    // The cursor position in screen pixels; false when the platform gives none.
    virtual bool cursorPosition(int& x, int& y) = 0;
    // A modal message box with one OK button; returns when the user has dismissed it.
    // caption and text are UTF-8.
    virtual void messageBox(const std::string& caption, const std::string& text) = 0;
    // The user's language, in which the forms and message boxes speak.
    virtual Language userLanguage() = 0;

    // --- files
    // True when path names a file (not a folder) that can be opened for reading.
    virtual bool canOpenForReading(const std::string& path) = 0;
    // The private-profile read and write with the semantics of GetPrivateProfileStringA and
    // WritePrivateProfileStringA: every text ends at its first NUL; a read copies at most
    // size - 1 bytes, NUL-terminated, and yields the default for a missing file, section or key;
    // returns the number of bytes copied. The write returns the platform's success flag.
    virtual std::uint32_t getPrivateProfileString(const char* section, const char* key,
                                                  const char* defaultValue, char* buffer,
                                                  std::uint32_t size, const char* file) = 0;
    virtual bool writePrivateProfileString(const char* section, const char* key, const char* value,
                                           const char* file) = 0;

    // --- programs
    // Starts a program by its path with these arguments and the given show state (1: normal,
    // activated). Does not wait. Returns nothing when it could not be started (on Linux: could
    // not be executed). A program that endsWithLauncher never outlives the launcher: on Linux it
    // gets the parent-death signal (SIGTERM), however the launcher ends, and endProcess stops it
    // first. Any other program runs on after the launcher, in a session of its own (Windows has
    // no hosted runs, and starts every program that way).
    virtual std::unique_ptr<StartedProgram> startProgram(const std::string& path,
                                                         const std::vector<std::string>& arguments,
                                                         int showState, bool endsWithLauncher) = 0;
    // The lock that lets one of several hosted copies (one per monitor) play the music: true
    // while this process holds it, taking it when it is free; asked again, it tries again. True
    // also where no lock can be made (one copy with music beats none).
    virtual bool holdMusicLock() = 0;

    // --- forms (entry points; see launcher_forms.h)
    // Loads the hidden run form of a run placed so (a full-screen run: "Veyra_Main"); its load
    // handling runs now.
    virtual void loadRunForm(LauncherState& state, const RunPlacement& placement) = 0;
    // Embeds the preview form in the host window named on the command line.
    virtual void showPreview(std::int32_t hostWindow) = 0;
    // Shows the settings dialog "<Orveline>" modally; returns when it has closed.
    virtual void showSettingsDialog(LauncherState& state) = 0;

    // --- forms runtime
    // Ends the process at once: no further statement, no close or unload handling runs.
    [[noreturn]] virtual void endProcess() = 0;
    // A repeating timer on the user-interface thread, created switched off.
    virtual std::unique_ptr<UiTimer> createTimer(int intervalMilliseconds,
                                                 std::function<void()> onTick) = 0;
    // A hidden top-level window with a title that windowExists finds (from this process or
    // another copy of the launcher).
    virtual std::unique_ptr<HiddenWindow> createHiddenWindow(
        const std::string& title, std::function<void()> onCloseRequest) = 0;
    // Asks the message loop to end once the current handler returns (the last form has gone).
    virtual void quitMessageLoop() = 0;
};

}  // namespace orveline
