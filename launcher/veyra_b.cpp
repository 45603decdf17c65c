#include "veyra_b.h"

#include <cmath>
#include <exception>
#include <vector>

#include "launcher_platform.h"
#include "launcher_state.h"
#include "number_text.h"
#include "run_placement.h"
#include "texts.h"

namespace orveline {

namespace {

constexpr std::uint32_t kReadBufferLength = 256;
constexpr std::size_t kWriteFieldLength = 128;

// Resume-next for one step: a failing step is abandoned, nothing is reported, the next runs.
// Ending the process is not a failure and passes through (platforms never return from it).
template <typename Step>
void resumeNext(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

// A 128-byte field: the text, a NUL, blanks up to the length; longer text is cut.
std::string fixedField(const std::string& text) {
    std::string field = text;
    field.push_back('\0');
    field.resize(kWriteFieldLength, ' ');
    return field;
}

char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string ModeLetter(const std::string& commandLine) {
    if (commandLine.size() < 2) return std::string();
    return std::string(1, upperAscii(commandLine[1]));
}

std::int32_t PreviewHostHandle(const std::string& commandLine) {
    if (commandLine.size() < 4) return 0;
    const double value = LeadingNumber(commandLine.substr(3));
    const std::optional<std::int32_t> handle = RoundToInt32(value);
    return handle ? *handle : 0;
}

std::string ReadIni(LauncherPlatform& platform, const std::string& section, const std::string& key,
                    const std::string& file) {
    std::vector<char> buffer(kReadBufferLength, '\0');
    platform.getPrivateProfileString(section.c_str(), key.c_str(), "", buffer.data(),
                                     kReadBufferLength, file.c_str());
    buffer.back() = '\0';  // whatever the platform did, the text ends inside the buffer
    return std::string(buffer.data());
}

bool WriteIni(LauncherPlatform& platform, const std::string& section, const std::string& key,
              const std::string& value, const std::string& file) {
    const std::string sectionField = fixedField(section);
    const std::string keyField = fixedField(key);
    return platform.writePrivateProfileString(sectionField.c_str(), keyField.c_str(), value.c_str(),
                                              file.c_str());
}

std::optional<std::int16_t> SettingsNumber(const std::string& text) {
    const std::optional<double> value = NumberText(text);
    if (!value) return std::nullopt;
    const double whole = std::floor(*value);
    if (!(whole >= -32768.0 && whole <= 32767.0)) return std::nullopt;
    return static_cast<std::int16_t>(whole);
}

void LoadSettings(LauncherPlatform& platform, LauncherState& state) {
    const std::string path = SettingsFilePath(platform);

    auto loadNumber = [&](const char* key, std::int16_t& target) {
        resumeNext([&] {
            const std::string text = ReadIni(platform, kSettingsSection, key, path);
            if (text.empty()) {
                target = 0;
            } else if (const std::optional<std::int16_t> number = SettingsNumber(text)) {
                target = *number;
            }
        });
    };
    loadNumber(kKeyBgmKind, state.BgmKind);
    loadNumber(kKeyBgmRepeat, state.BgmRepeat);

    resumeNext([&] {
        const std::string file = ReadIni(platform, kSettingsSection, kKeyBgmFile, path);
        if (!file.empty()) {
            state.BgmFile = file;
            if (FileExists(platform, state.BgmFile)) return;
        }
        state.BgmFile.clear();
        if (state.BgmKind == 2) state.BgmKind = 0;
    });
}

bool FileExists(LauncherPlatform& platform, std::string path) {
    // The last character, not the last byte: a separator byte can end a double-byte character.
    std::size_t last = 0;
    for (std::size_t i = 0; i < path.size();) {
        last = i;
        i += (platform.isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) ? 2
                                                                                               : 1;
    }
    if (!path.empty() && last == path.size() - 1 && path.back() == platform.pathSeparator()) {
        path.pop_back();
    }
    if (path.empty()) return false;
    try {
        return platform.canOpenForReading(path);
    } catch (const std::exception&) {
        return false;
    }
}

std::string SettingsFilePath(LauncherPlatform& platform) {
    const std::string folder = platform.settingsFolder();
    // Without a folder there is no file: the separator alone would name one at the root.
    if (folder.empty()) return std::string();
    return folder + platform.pathSeparator() + kSettingsFileName;
}

std::string RendererPath(LauncherPlatform& platform) {
    return platform.ownFolder() + platform.pathSeparator() + kRendererFileName;
}

namespace main_steps {

bool WindowOpen(LauncherPlatform& platform, const char* title) {
    bool open = false;
    resumeNext([&] { open = platform.windowExists(title); });
    return open;
}

void ReadSettings(LauncherPlatform& platform, LauncherState& state) {
    resumeNext([&] { LoadSettings(platform, state); });
}

bool RendererPresent(LauncherPlatform& platform) {
    bool present = true;
    resumeNext([&] { present = FileExists(platform, RendererPath(platform)); });
    return present;
}

void LoadRunForm(LauncherPlatform& platform, LauncherState& state, const RunPlacement& placement) {
    resumeNext([&] { platform.loadRunForm(state, placement); });
}

}  // namespace main_steps

void Main(LauncherPlatform& platform, LauncherState& state) {
    // 1. Single-instance test, before the command line is read; both look-ups are made.
    const bool running = main_steps::WindowOpen(platform, kRunFormTitle);
    const bool dialogOpen = main_steps::WindowOpen(platform, kSettingsDialogTitle);
    if (running || dialogOpen) platform.endProcess();

    // 2. Mode letter.
    std::string commandLine;
    std::string letter;
    resumeNext([&] {
        commandLine = platform.commandLine();
        letter = ModeLetter(commandLine);
    });

    // A copy that will show a run form or the dialog takes the lock that stands for them now, so
    // that a second copy started before those windows exist ends here as if it had seen them.
    if (letter == "S" || letter == "C" || commandLine.empty()) {
        bool free = true;
        resumeNext([&] { free = platform.takeInstanceLock(); });
        if (!free) platform.endProcess();
    }

    // 3. Preview: no settings, no renderer test.
    if (letter == "P") {
        std::int32_t host = 0;
        resumeNext([&] { host = PreviewHostHandle(commandLine); });
        resumeNext([&] { platform.showPreview(host); });
        return;
    }

    // 4. Settings.
    main_steps::ReadSettings(platform, state);

    // 5. Renderer present?
    if (!main_steps::RendererPresent(platform)) {
        resumeNext([&] {
            platform.messageBox(kApplicationTitle,
                                TextOf(Text::RendererMissing, platform.userLanguage()));
        });
        platform.endProcess();
    }

    // 6. Settings dialog, modal; the process ends when it has closed.
    if (letter == "C") {
        resumeNext([&] { platform.showSettingsDialog(state); });
        platform.endProcess();
    }

    // 7. Other switches end silently.
    if (letter != "S" && !commandLine.empty()) platform.endProcess();

    // 8. Cursor: hidden for "S" only; an empty command line keeps it visible.
    if (letter == "S") {
        resumeNext([&] { state.CursorCount = platform.showCursor(0); });
    }

    // 9. Run: the hidden run form keeps the process alive.
    main_steps::LoadRunForm(platform, state, FullScreenPlacement());
}

}  // namespace orveline
