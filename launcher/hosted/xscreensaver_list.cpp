#include "xscreensaver_list.h"

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace orveline {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < text.size();) {
        while (i < text.size() && isBlank(text[i])) ++i;
        std::size_t end = i;
        while (end < text.size() && !isBlank(text[end])) ++end;
        if (end > i) words.push_back(text.substr(i, end - i));
        i = end;
    }
    return words;
}

struct Line {
    std::size_t begin = 0;  // offset of the line in the text
    std::string content;    // without its line end (LF, or CR LF)
    bool ended = false;     // a line end follows
};

std::vector<Line> splitLines(const std::string& text) {
    std::vector<Line> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = text.find('\n', begin);
        Line line;
        line.begin = begin;
        line.content = text.substr(begin, end == std::string::npos ? end : end - begin);
        line.ended = end != std::string::npos;
        if (line.ended && !line.content.empty() && line.content.back() == '\r') {
            line.content.pop_back();
        }
        lines.push_back(line);
        if (!line.ended) break;
        begin = end + 1;
    }
    return lines;
}

bool continues(const std::string& content) {
    return !content.empty() && content.back() == '\\';
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

// The "*programs:" resource of the daemon's app-defaults as lines of ~/.xscreensaver, with the
// empty line that ends it.
std::string defaultPrograms(const std::string& appDefaults, const std::string& eol) {
    const std::vector<Line> lines = splitLines(appDefaults);
    const auto block = programsBlock(lines);
    if (!block) return "programs:" + eol + eol;
    std::string programs;
    for (std::size_t i = block->first; i <= block->second; ++i) programs += lines[i].content + eol;
    return programs.substr(programs.find("programs")) + eol;
}

}  // namespace

std::vector<std::string> XScreenSaverDefaultsPaths(const char* fileSearchPath) {
    if (!fileSearchPath || !*fileSearchPath) {
        return {"/etc/X11/app-defaults/XScreenSaver", "/usr/share/X11/app-defaults/XScreenSaver",
                "/usr/lib/X11/app-defaults/XScreenSaver"};
    }
    std::vector<std::string> paths;
    std::string path;
    for (const char* c = fileSearchPath;; ++c) {
        if (*c == '\0' || *c == ':') {
            if (!path.empty()) paths.push_back(path);
            path.clear();
            if (*c == '\0') break;
        } else if (*c != '%') {
            path += *c;
        } else if (c[1] == 'N') {
            path += "XScreenSaver";
            ++c;
        } else if (c[1] == 'T') {
            path += "app-defaults";
            ++c;
        } else if (c[1] == ':' || c[1] == '%') {
            path += c[1];
            ++c;
        } else if (c[1] != '\0' && std::string("LltcCS").find(c[1]) != std::string::npos) {
            ++c;  // no language, customization or suffix
        } else {
            path += '%';
        }
    }
    return paths;
}

bool IsOrvelineEntry(const std::string& text) {
    std::string entry = trimmed(text);
    if (!entry.empty() && entry[0] == '-') entry = trimmed(entry.substr(1));
    // A visual ("GL:", "default:") is a word that ends in a colon.
    const std::size_t colon = entry.find(':');
    if (colon != std::string::npos && colon < entry.find_first_of(" \t\"")) {
        entry = trimmed(entry.substr(colon + 1));
    }
    // A name for the daemon's menu, in double quotes.
    if (!entry.empty() && entry[0] == '"') {
        const std::size_t close = entry.find('"', 1);
        entry = close == std::string::npos ? std::string() : entry.substr(close + 1);
    }
    const std::vector<std::string> words = wordsOf(entry);
    if (words.size() != 2 || (words[1] != "-root" && words[1] != "--root")) return false;
    const std::string program = words[0].substr(words[0].rfind('/') + 1);
    return program == "orveline" || program == "Orveline.scr";
}

bool AddToXScreenSaverList(std::string& text, const std::string& appDefaults) {
    // The text's own line ends, by its first.
    const std::size_t firstEnd = text.find('\n');
    const std::string eol =
        firstEnd != std::string::npos && firstEnd > 0 && text[firstEnd - 1] == '\r' ? "\r\n" : "\n";
    std::vector<Line> lines = splitLines(text);
    auto block = programsBlock(lines);
    if (!block) {
        if (text.empty()) text = "# XScreenSaver Preferences File, started by orveline" + eol;
        if (text.back() != '\n') text += eol;
        text += eol + defaultPrograms(appDefaults, eol);
        lines = splitLines(text);
        block = programsBlock(lines);
    }
    const auto [first, last] = *block;

    // The value is the block's lines joined; its entries are separated by the two characters \n.
    std::string value;
    for (std::size_t i = first; i <= last; ++i) {
        std::string content = lines[i].content;
        if (continues(content)) content.pop_back();
        value += content;
    }
    value.erase(0, value.find(':') + 1);
    for (std::size_t begin = 0; begin <= value.size();) {
        std::size_t end = value.find("\\n", begin);
        if (end == std::string::npos) end = value.size();
        if (IsOrvelineEntry(value.substr(begin, end - begin))) return false;
        begin = end + 2;
    }

    // In the daemon's own layout: tabs before, a padded "\n" after. The value ends either in an
    // entry without "\n", which then continues into ours, or in a "\n" (or nothing at all).
    const std::string ending = trimmed(value);
    const bool separated =
        ending.empty() || (ending.size() >= 2 && ending.compare(ending.size() - 2, 2, "\\n") == 0);
    const std::string entry =
        std::string(separated ? "" : "\\n") + "\t\t\t\t" + kHostedCommandLine + "\t\t\t    \\n";
    const Line& end = lines[last];
    const std::size_t endLength =
        end.ended ? text.find('\n', end.begin) + 1 - end.begin : text.size() - end.begin;
    if (last > first && trimmed(end.content).empty()) {
        // An empty line ends the list: ours goes before it, continued into it.
        text.insert(end.begin, entry + "\\" + eol);
    } else if (continues(end.content)) {
        // The file ends inside the list: the last line goes on into ours.
        text.replace(end.begin, endLength, end.content + eol + entry + eol);
    } else {
        text.replace(end.begin, endLength, end.content + "\\" + eol + entry + eol);
    }
    return true;
}

}  // namespace orveline
