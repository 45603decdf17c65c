// The XScreenSaver list: the text of a user's ~/.xscreensaver, to which "orveline
// --add-to-xscreensaver" adds the hosted run. Portable text work; the Linux entry
// (x11_hosted_run.h) reads and writes the file.
#pragma once

#include <string>
#include <vector>

namespace orveline {

// The command a daemon's list names us by.
inline constexpr char kHostedCommandLine[] = "orveline --root";

// True when one entry of the "programs:" list runs Orveline's hosted run, however written: enabled
// or disabled ("-"), with a visual ("GL:") or a name in quotes ("\"Orveline\""), the program
// orveline or Orveline.scr by any folder, with -root or --root.
bool IsOrvelineEntry(const std::string& entry);

// Adds kHostedCommandLine at the end of the "programs:" list of a ~/.xscreensaver text (so the
// numbers of the programs before it, which "selected:" refers to, stay); every other byte stays,
// and the text's line ends (LF or CR LF) go on. A text without a list (or an empty text, for a
// user who has no file yet) first gets the list of the daemon's system defaults, taken from the
// text of its app-defaults file, so no program is lost; the daemon goes on taking every other
// setting from its defaults. Returns false, and leaves the text, when the list has an Orveline
// entry already, enabled or not (a disabled one is the user's choice).
bool AddToXScreenSaverList(std::string& text, const std::string& appDefaults);

// Where the X Toolkit looks for the daemon's class resources (its app-defaults file), in
// order: the elements of fileSearchPath (XFILESEARCHPATH) when it is set, with %N, %T and the
// escapes %: and %% filled in and the language, customization and suffix empty, as for a class
// file looked up with no language; else the system's usual folders.
std::vector<std::string> XScreenSaverDefaultsPaths(const char* fileSearchPath);

}  // namespace orveline
