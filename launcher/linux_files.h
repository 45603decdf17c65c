// The launcher's own files on Linux: where the user's home and the run-time folder are, the locks
// in that folder, and the rewrite of a user's file (~/.xscreensaver, the settings file) that never
// leaves half a file, another user's file or a replaced link behind.
#pragma once

#include <string>
#include <vector>

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

// An exclusive lock (flock) on a file, held while the object lives. The file is made where
// missing, opened without following a link and closed on exec, so no started program holds it.
class FileLock {
  public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // False when the file could not be opened: there is no lock to take.
    bool opened() const { return fd_ >= 0; }
    // Takes the lock when it is free; true while this object holds it. Asked again, tries again.
    bool take();

  private:
    int fd_ = -1;
    bool held_ = false;
};

// The names of the single-instance lock files of the displays named by $DISPLAY and
// $WAYLAND_DISPLAY (either may be null): one per display, the X screen number left out, so that
// every copy of the launcher on one desktop shares one, whichever display it sees.
std::vector<std::string> InstanceLockNames(const char* display, const char* waylandDisplay);

// Replaces the contents of the file at path with text, so that a reader sees the old file or the
// new one whole: the text goes to a new temporary file beside it (made exclusively), is synced to
// the disc, and renamed over it; then the folder is synced, so the rename is on the disc too. A
// link is written through: its target gets the text and the link stays. The file keeps its
// permissions, and its owner and group where this user may give them. A file without write
// permission for its owner is the user's choice to keep it: it is left alone. On failure, error
// says why (one line) and the old file is untouched.
bool ReplaceFileContents(const std::string& path, const std::string& text, std::string& error);

// The settings file's write (profile_file.h's ProfileSave): ReplaceFileContents, its reason for
// a failure on stderr.
bool SaveSettingsFile(const std::string& path, const std::string& bytes);

}  // namespace orveline
