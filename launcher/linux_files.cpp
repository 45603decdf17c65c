// The launcher's own files on Linux; see linux_files.h.
#include "linux_files.h"

#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orveline {

namespace {

bool absolute(const char* path) {
    return path && path[0] == '/';
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string HomeFolder(const char* home, const char* accountHome) {
    if (absolute(home)) return home;
    if (absolute(accountHome)) return accountHome;
    return std::string();
}

std::string UserHome() {
    const char* accountHome = nullptr;
    if (const passwd* account = ::getpwuid(::getuid())) accountHome = account->pw_dir;
    return HomeFolder(std::getenv("HOME"), accountHome);
}

bool PrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

std::string RuntimeFolder(const char* xdgRuntimeDir, const std::string& temporary) {
    if (absolute(xdgRuntimeDir)) return xdgRuntimeDir;
    const std::string folder = temporary + "/orveline-" + std::to_string(::getuid());
    return PrivateFolder(folder) ? folder : std::string();
}

FileLock::FileLock(const std::string& path) {
    if (!path.empty()) fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileLock::take() {
    if (fd_ < 0) return false;
    if (!held_) held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    return held_;
}

std::vector<std::string> InstanceLockNames(const char* display, const char* waylandDisplay) {
    const auto name = [](const std::string& kind, std::string text) {
        for (char& c : text) {
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                               (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
            if (!plain) c = '_';
        }
        return "orveline-" + kind + "-" + text + ".lock";
    };
    std::vector<std::string> names;
    if (display && display[0] != '\0') {
        // host:number.screen: every screen of a display is one desktop.
        std::string text = display;
        const std::size_t colon = text.rfind(':');
        const std::size_t dot = text.find('.', colon == std::string::npos ? 0 : colon);
        if (colon != std::string::npos && dot != std::string::npos) text.erase(dot);
        names.push_back(name("x11", text));
    }
    if (waylandDisplay && waylandDisplay[0] != '\0')
        names.push_back(name("wayland", waylandDisplay));
    return names;
}

bool ReplaceFileContents(const std::string& path, const std::string& text, std::string& error) {
    const auto fail = [&error](const std::string& why) {
        error = why;
        return false;
    };
    // The link's final target; a link to nothing yet names the file to make.
    char resolved[PATH_MAX];
    std::string target = path;
    if (::realpath(path.c_str(), resolved)) {
        target = resolved;
    } else if (errno == ENOENT) {
        const ssize_t length = ::readlink(path.c_str(), resolved, sizeof resolved - 1);
        if (length > 0) {
            const std::string link(resolved, static_cast<std::size_t>(length));
            target = link[0] == '/' ? link : folderOf(path) + "/" + link;
        }
    }
    struct stat info {};
    const bool existed = ::stat(target.c_str(), &info) == 0;
    if (existed && !S_ISREG(info.st_mode)) return fail(target + " is not a regular file");
    if (existed && ((info.st_mode & S_IWUSR) == 0 || ::access(target.c_str(), W_OK) != 0)) {
        return fail(target + " is read-only; make it writable (chmod u+w) to change it");
    }

    std::string temporary = target + ".orveline-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return fail("cannot make a file in " + folderOf(target) + ": " + std::strerror(errno));
    // A new file gets what a plain create would give it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = existed ? (info.st_mode & 07777) : (0666 & ~mask);
    if (existed && ::fchown(fd, info.st_uid, info.st_gid) != 0) {
        // Not ours to give away: the group alone, where this user is one of it.
        [[maybe_unused]] const int kept = ::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    }
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, text) && ::fsync(fd) == 0;
    const int writeError = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), target.c_str()) == 0) {
        // The rename itself reaches the disc with its folder.
        const int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        return true;
    }
    const int renameError = ok ? errno : writeError;
    ::unlink(temporary.c_str());
    return fail("cannot write " + target + ": " + std::strerror(renameError));
}

bool SaveSettingsFile(const std::string& path, const std::string& bytes) {
    std::string error;
    if (ReplaceFileContents(path, bytes, error)) return true;
    std::fprintf(stderr, "Orveline.scr: %s\n", error.c_str());
    return false;
}

}  // namespace orveline
