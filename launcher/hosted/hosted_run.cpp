#include "hosted_run.h"

#include <cstddef>
#include <exception>
#include <optional>

#include "launcher_platform.h"
#include "launcher_state.h"
#include "veyra_b.h"

namespace orveline {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && (isBlank(text[begin]) || text[begin] == '\r')) ++begin;
    while (end > begin && (isBlank(text[end - 1]) || text[end - 1] == '\r')) --end;
    return text.substr(begin, end - begin);
}

// A command with its blanks collapsed and its program named without its folder, so that
// "  /usr/bin/orveline   --root" is "orveline --root".
std::string normalCommand(const std::string& command) {
    std::string words;
    std::size_t i = 0;
    while (i < command.size()) {
        while (i < command.size() && isBlank(command[i])) ++i;
        std::size_t end = i;
        while (end < command.size() && !isBlank(command[end])) ++end;
        if (end == i) break;
        std::string word = command.substr(i, end - i);
        if (words.empty() && word.find('/') != std::string::npos)
            word = word.substr(word.rfind('/') + 1);
        if (!words.empty()) words.push_back(' ');
        words += word;
        i = end;
    }
    return words;
}

// One entry of the list as its command: without the "-" that disables it and the visual
// ("GL:", "default:") that the daemon picks for it.
std::string entryCommand(std::string entry) {
    entry = trimmed(entry);
    if (!entry.empty() && entry[0] == '-') entry = trimmed(entry.substr(1));
    const std::size_t colon = entry.find(':');
    if (colon != std::string::npos && entry.find_first_of(" \t") > colon)
        entry = entry.substr(colon + 1);
    return normalCommand(entry);
}

struct Line {
    std::size_t begin = 0;  // offset of the line in the text
    std::string content;    // without its line end
    bool ended = false;     // followed by '\n'
};

std::vector<Line> splitLines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find('\n', begin);
        Line line;
        line.begin = begin;
        line.content =
            text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        line.ended = end != std::string::npos;
        lines.push_back(line);
        if (!line.ended) break;
        begin = end + 1;
    }
    return lines;
}

bool continues(const std::string& content) {
    std::string line = content;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return !line.empty() && line.back() == '\\';
}

// The first and the last line of the "programs:" resource (its value goes on over lines that end
// in a backslash); nothing when the text has none.
std::optional<std::pair<std::size_t, std::size_t>> programsBlock(const std::vector<Line>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string head = trimmed(lines[i].content);
        if (!head.empty() && head[0] == '*') head.erase(0, 1);
        if (head.compare(0, 8, "programs") != 0) continue;
        if (trimmed(head.substr(8)).compare(0, 1, ":") != 0) continue;
        std::size_t last = i;
        while (last + 1 < lines.size() && continues(lines[last].content)) ++last;
        return std::make_pair(i, last);
    }
    return std::nullopt;
}

// The "*programs:" resource of the daemon's app-defaults as a line of ~/.xscreensaver, with the
// empty line that ends it.
std::string defaultPrograms(const std::string& appDefaults) {
    const std::vector<Line> lines = splitLines(appDefaults);
    const auto block = programsBlock(lines);
    if (!block) return "programs:\n\n";
    std::string programs;
    for (std::size_t i = block->first; i <= block->second; ++i) programs += lines[i].content + "\n";
    return programs.substr(programs.find("programs")) + "\n";
}

}  // namespace

bool ParseWindowId(const std::string& text, std::uint32_t& window) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > (hex ? 8u : 10u)) return false;
    std::uint64_t value = 0;
    for (const char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return false;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    }
    if (value == 0 || value > 0xFFFFFFFFu) return false;
    window = static_cast<std::uint32_t>(value);
    return true;
}

HostedCommand ParseHostedCommand(const std::vector<std::string>& arguments,
                                 const char* xscreensaverWindow) {
    HostedCommand command;
    if (arguments.empty()) return command;
    const std::string& first = arguments[0];
    const bool root = first == "--root" || first == "-root";
    const bool pane = first == "--window-id" || first == "-window-id";
    if (!root && !pane) return command;
    command.hosted = true;

    const std::size_t expected = root ? 1 : 2;
    if (arguments.size() < expected) {
        command.error = first + " needs an X window id";
    } else if (arguments.size() > expected) {
        command.error = "unexpected argument \"" + arguments[expected] + "\"";
    } else if (pane) {
        if (!ParseWindowId(arguments[1], command.window))
            command.error = "\"" + arguments[1] + "\" is not an X window id";
    } else if (xscreensaverWindow && xscreensaverWindow[0]) {
        if (!ParseWindowId(xscreensaverWindow, command.window))
            command.error = "XSCREENSAVER_WINDOW=\"" + std::string(xscreensaverWindow) +
                            "\" is not an X window id";
    }
    command.music = root;
    return command;
}

HostedStart HostedMain(LauncherPlatform& platform, LauncherState& state, bool playsMusic) {
    // Other hosted copies and a full-screen run do not count: one copy runs per monitor.
    bool dialogOpen = false;
    try {
        dialogOpen = platform.windowExists(kSettingsDialogTitle);
    } catch (const std::exception&) {
    }
    if (dialogOpen) return HostedStart::SettingsDialogOpen;
    try {
        LoadSettings(platform, state);
    } catch (const std::exception&) {
    }
    if (!FileExists(platform, RendererPath(platform))) return HostedStart::RendererMissing;
    if (!playsMusic) state.BgmKind = 0;
    platform.loadRunForm(state);
    return HostedStart::Running;
}

bool AddXScreenSaverProgram(std::string& text, const std::string& command,
                            const std::string& appDefaults) {
    std::vector<Line> lines = splitLines(text);
    auto block = programsBlock(lines);
    if (!block) {
        if (text.empty()) text = "# XScreenSaver Preferences File, started by orveline\n";
        if (text.back() != '\n') text.push_back('\n');
        text += "\n" + defaultPrograms(appDefaults);
        lines = splitLines(text);
        block = programsBlock(lines);
    }
    const auto [first, last] = *block;

    // The value is the block's lines joined; its entries are separated by the two characters \n.
    std::string value;
    for (std::size_t i = first; i <= last; ++i) {
        std::string content = lines[i].content;
        if (continues(content)) content.erase(content.find_last_of('\\'));
        value += content;
    }
    value.erase(0, value.find(':') + 1);
    const std::string wanted = normalCommand(command);
    for (std::size_t begin = 0; begin <= value.size();) {
        std::size_t end = value.find("\\n", begin);
        if (end == std::string::npos) end = value.size();
        if (entryCommand(value.substr(begin, end - begin)) == wanted) return false;
        begin = end + 2;
    }

    // In the daemon's own layout: tabs before, a padded "\n" after. The line that ends the value
    // is either empty (the entries before it end in "\n\") or the last entry, which then
    // continues into ours.
    const std::string ending = trimmed(value);
    const bool separated =
        ending.empty() || (ending.size() >= 2 && ending.compare(ending.size() - 2, 2, "\\n") == 0);
    const std::string entry =
        std::string(separated ? "" : "\\n") + "\t\t\t\t" + command + "\t\t\t    \\n";
    const Line& end = lines[last];
    if (last > first && trimmed(end.content).empty()) {
        text.insert(end.begin, entry + "\\\n");
    } else {
        const std::string content = end.content + "\\\n" + entry;
        text.replace(end.begin, end.content.size(), end.ended ? content : content + "\n");
    }
    return true;
}

}  // namespace orveline
