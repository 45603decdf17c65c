// The launcher's own files on Linux; see linux_files.h.
#include "linux_files.h"

#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace orveline
