// Drives the launcher's settings routines through the real platform of its build, for the
// cross-platform settings test (and, on Windows, reads a message box's text):
//   settings_probe write <kind> <repeat> <file>   WriteIni of the three keys, as the dialog saves
//                                                 (file as hex:<bytes in hex> passes any bytes)
//   settings_probe load                           LoadSettings, then the three raw values
//   settings_probe box-text <title>               (Windows) the static texts of that window,
//                                                 UTF-8 in hex
#include <cstdio>
#include <string>

#include "launcher_state.h"
#include "probe_platform.h"
#include "veyra_b.h"

namespace {

std::string hex(const std::string& bytes) {
    std::string out;
    char digits[3];
    for (unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        out += digits;
    }
    return out.empty() ? "-" : out;
}

std::string argumentBytes(const std::string& argument) {
    if (argument.rfind("hex:", 0) != 0) return argument;
    std::string out;
    for (std::size_t i = 4; i + 1 < argument.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(argument.substr(i, 2), nullptr, 16)));
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace orveline;
    const std::string command = argc > 1 ? argv[1] : "";
    auto platform = test::makeProbePlatform();
    const std::string path = SettingsFilePath(*platform);
    if (command == "write" && argc == 5) {
        const bool kind = WriteIni(*platform, kSettingsSection, kKeyBgmKind, argv[2], path);
        const bool repeat = WriteIni(*platform, kSettingsSection, kKeyBgmRepeat, argv[3], path);
        const bool file =
            WriteIni(*platform, kSettingsSection, kKeyBgmFile, argumentBytes(argv[4]), path);
        std::printf("written %d %d %d\n", kind, repeat, file);
        return kind && repeat && file ? 0 : 1;
    }
    if (command == "load") {
        LauncherState state;
        LoadSettings(*platform, state);
        std::printf("loaded kind=%d repeat=%d file=%s\n", state.BgmKind, state.BgmRepeat,
                    hex(state.BgmFile).c_str());
        std::printf("raw kind=%s repeat=%s file=%s\n",
                    hex(ReadIni(*platform, kSettingsSection, kKeyBgmKind, path)).c_str(),
                    hex(ReadIni(*platform, kSettingsSection, kKeyBgmRepeat, path)).c_str(),
                    hex(ReadIni(*platform, kSettingsSection, kKeyBgmFile, path)).c_str());
        return 0;
    }
    if (command == "box-text" && argc == 3) {
        const std::string text = test::windowText(argv[2]);
        std::printf("%s\n", hex(text).c_str());
        return text.empty() ? 1 : 0;
    }
    std::fprintf(stderr,
                 "usage: settings_probe write <kind> <repeat> <file> | load | box-text <title>\n");
    return 2;
}
