// orveline-profile-bench: times reads of a large settings file through our own private-profile
// code, the way start-up reads it (three keys of the section "Section", 256-byte buffers).
//   orveline-profile-bench [--lines N | --nul-name BYTES] [--reads N] [--max-ms MS] [FILE]
// Without FILE it writes, in the system's temporary folder, a file of N comment lines
// (default 80 000, about 3.8 MB) with the section after them, so every read walks the whole
// file; with --nul-name, a file whose one line is a name of that many bytes of "lead byte +
// blank" pairs cut by a NUL (the pattern a corrupt file can hold, which each cut character once
// made the reader rescan). Prints the file's size and the mean, fastest and slowest time of one
// read; with --max-ms, fails (exit code 1) when the slowest read took longer.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "profile_file.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: orveline-profile-bench [--lines N | --nul-name BYTES] [--reads N] "
                 "[--max-ms MS] [FILE]\n");
    return 2;
}

// Comment lines of 48 bytes, CR LF included, then the section with the launcher's three keys.
bool writeLargeFile(const std::string& path, long lines) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (long i = 0; i < lines; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "; comment line %08ld of a big settings file\r\n", i);
        out << line;
    }
    out << "[Section]\r\nBGM\x8b\xe6\x95\xaa=2\r\nBGM\xd8\xcb\xdf\xb0\xc4=0\r\n"
           "BGM\xcc\xa7\xb2\xd9=/home/user/music/a.mp3\r\n";
    return static_cast<bool>(out);
}

// One line: the section, then a name of "\x81 " pairs and a NUL, then a value.
bool writeNulNameFile(const std::string& path, long bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "[Section]\r\n";
    for (long i = 0; i < bytes / 2; ++i) out << "\x81 ";
    out << '\0' << "=1\r\n";
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    long lines = 80000;
    long nulName = 0;
    long maxMs = 0;
    int reads = 30;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--lines" || arg == "--reads" || arg == "--nul-name" || arg == "--max-ms") &&
            i + 1 < argc) {
            const long n = std::strtol(argv[++i], nullptr, 10);
            if (n <= 0) return usage();
            if (arg == "--lines") {
                lines = n;
            } else if (arg == "--nul-name") {
                nulName = n;
            } else if (arg == "--max-ms") {
                maxMs = n;
            } else {
                reads = static_cast<int>(n);
            }
        } else if (!arg.empty() && arg[0] != '-' && file.empty()) {
            file = arg;
        } else {
            return usage();
        }
    }
    const bool made = file.empty();
    if (made) {
        file = (std::filesystem::temp_directory_path() /
                ("orveline-profile-bench-" + std::to_string(::getpid()) + ".ini"))
                   .string();
        if (!(nulName ? writeNulNameFile(file, nulName) : writeLargeFile(file, lines))) {
            std::fprintf(stderr, "orveline-profile-bench: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    const char* keys[] = {"BGM\x8b\xe6\x95\xaa", "BGM\xd8\xcb\xdf\xb0\xc4", "BGM\xcc\xa7\xb2\xd9"};
    double total = 0;
    double fastest = 1e9;
    double slowest = 0;
    char value[256];
    for (int i = 0; i < reads; ++i) {
        const auto start = std::chrono::steady_clock::now();
        orveline::ProfileGetString("Section", keys[i % 3], "", value, sizeof value, file.c_str());
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        total += ms;
        fastest = std::min(fastest, ms);
        slowest = std::max(slowest, ms);
    }
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    std::printf(
        "%s: %ju bytes; %d reads: mean %.2f ms, fastest %.2f ms, slowest %.2f ms per read "
        "(last value \"%s\")\n",
        file.c_str(), static_cast<std::uintmax_t>(error ? 0 : size), reads, total / reads, fastest,
        slowest, value);
    if (made) std::filesystem::remove(file, error);
    if (maxMs > 0 && slowest > static_cast<double>(maxMs)) {
        std::fprintf(stderr, "orveline-profile-bench: a read took %.2f ms, more than %ld ms\n",
                     slowest, maxMs);
        return 1;
    }
    return 0;
}
