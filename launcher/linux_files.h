// The launcher's own files on Linux outside the settings file: where the user's home and the
// run-time folder are, and the rewrite of a user's file (~/.xscreensaver) that never leaves half a
// file, another user's file or a replaced link behind.
#pragma once

#include <string>

namespace orveline {

// The home folder: $HOME when it is an absolute path, else the account's home from the password
// database (accountHome); empty when neither is.
std::string HomeFolder(const char* home, const char* accountHome);
// HomeFolder of this process's environment and account.
std::string UserHome();

// A folder that only this user can have made and can write: made with mode 0700 where missing,
// and then a folder (not a link) owned by this user that no one else may enter. False otherwise.
bool PrivateFolder(const std::string& path);

// The folder for this user's run-time files (the music lock): $XDG_RUNTIME_DIR when it is an
// absolute path, else the private folder <temporary>/orveline-<uid>. Empty when that folder is
// not private (another user made it first).
std::string RuntimeFolder(const char* xdgRuntimeDir, const std::string& temporary = "/tmp");

// Replaces the contents of the file at path with text, so that a reader sees the old file or the
// new one whole: the text goes to a new temporary file beside it (made exclusively), is synced to
// the disc, and renamed over it. A link is written through: its target gets the text and the link
// stays. The file keeps its permissions. A file without write permission for its owner is the
// user's choice to keep it: it is left alone. On failure, error says why (one line) and the old
// file is untouched.
bool ReplaceFileContents(const std::string& path, const std::string& text, std::string& error);

}  // namespace orveline
