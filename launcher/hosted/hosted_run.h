// Hosted runs: the launcher started by a desktop's screen-saver daemon (XScreenSaver, the MATE
// screensaver, xsecurelock) to draw inside a window of the daemon's, and the entry that adds us
// to a user's XScreenSaver list. Portable: the command line, the start-up decisions and the text
// of the daemon's list. The Linux side (x11_hosted_run.cpp) starts the renderer inside the host,
// holds the music lock and stops everything when the daemon's signal comes.
//
// Command lines (the daemons' conventions, not the screen-saver switches):
//   --root | -root              the daemon's window, named by $XSCREENSAVER_WINDOW, else the
//                               screen's root window; plays the music of the settings
//   --window-id ID | -window-id ID
//                               a preview pane: the live picture, no music
// ID and $XSCREENSAVER_WINDOW: an X window id, hexadecimal with 0x or decimal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orveline {

class LauncherPlatform;
struct LauncherState;

struct HostedCommand {
    bool hosted = false;       // the command line is one of the daemons' at all
    std::string error;         // bad input: one line for stderr; nothing may start
    bool music = false;        // --root plays the music; a preview pane does not
    std::uint32_t window = 0;  // the host; 0 with --root: the screen's root window
};

// Reads the arguments (after the program's name) and the daemon's $XSCREENSAVER_WINDOW (null
// when unset).
HostedCommand ParseHostedCommand(const std::vector<std::string>& arguments,
                                 const char* xscreensaverWindow);

// An X window id: "0x" and hexadecimal digits, or decimal digits; not 0, at most 32 bits.
bool ParseWindowId(const std::string& text, std::uint32_t& window);

enum class HostedStart { Running, SettingsDialogOpen, RendererMissing };

// Start-up of a hosted copy: ends nothing itself. Copies that play no music get music source 0,
// so their run form neither starts nor stops any. When Running, the run form is loaded.
HostedStart HostedMain(LauncherPlatform& platform, LauncherState& state, bool playsMusic);

// The command a daemon's list names us by.
inline constexpr char kHostedCommandLine[] = "orveline --root";

// Adds `command` at the end of the "programs:" list of a ~/.xscreensaver text (so the numbers of
// the programs before it, which "selected:" refers to, stay); every other byte stays. A text
// without a list (or an empty text, for a user who has no file yet) first gets the list of the
// daemon's system defaults, taken from the text of its app-defaults file, so no program is lost;
// the daemon goes on taking every other setting from its defaults. Returns false, and leaves the
// text, when the list already names the command, enabled or not.
bool AddXScreenSaverProgram(std::string& text, const std::string& command,
                            const std::string& appDefaults);

}  // namespace orveline
