// Hosted runs: the launcher started by a desktop's screen-saver daemon (XScreenSaver, the MATE
// screensaver, xsecurelock) to draw inside a window of the daemon's. Portable: the daemon's
// command line, the run's placement and the start-up decisions. A hosted run is the run form of
// a full-screen run placed in the host (run_placement.h); the Linux entry (x11_hosted_run.h)
// checks the host and hands over here.
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

#include "run_placement.h"

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

// The hidden run form of a hosted copy: not "Veyra_Main", so that hosted copies and a full-screen
// run never end each other.
inline constexpr char kHostedFormTitle[] = "Veyra_Hosted";

// A run inside host: the renderer draws in a child window of the host (--window-id) and ends with
// the run, the watch looks for its window among the host's children, and the music plays in the
// one copy that holds the lock (music) or not at all (a preview pane).
RunPlacement HostedPlacement(std::uint32_t host, bool music);

enum class HostedStart { Running, SettingsDialogOpen, RendererMissing };

// Start-up of a hosted copy, in Main's steps: ends nothing itself. Other hosted copies and a
// full-screen run do not stop it (one copy runs per monitor); the settings dialog does. When
// Running, the run form is loaded with the placement.
HostedStart HostedMain(LauncherPlatform& platform, LauncherState& state,
                       const RunPlacement& placement);

}  // namespace orveline
