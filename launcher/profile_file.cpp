#include "profile_file.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <utility>
#include <vector>

namespace orveline {

namespace {

// Files larger than this are not settings files: reads give the default and writes refuse,
// so a stray huge file is neither loaded whole nor cut down.
constexpr std::uintmax_t kLargestFile = 32u * 1024 * 1024;

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool isTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Start of the character after the one at i: a lead byte with a valid trail byte is one
// double-byte character, anything else one byte.
std::size_t nextChar(std::string_view s, std::size_t i, std::size_t end) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (isLeadByte(b) && i + 1 < end && isTrailByte(static_cast<unsigned char>(s[i + 1]))) {
        return i + 2;
    }
    return i + 1;
}

bool isBlank(unsigned char b) {
    return (b >= 0x09 && b <= 0x0D) || b == 0x20 || b == 0x1A;
}

std::size_t skipBlanks(std::string_view s, std::size_t begin, std::size_t end) {
    while (begin < end && isBlank(static_cast<unsigned char>(s[begin]))) ++begin;
    return begin;
}

std::size_t trimBlanksRight(std::string_view s, std::size_t begin, std::size_t end) {
    while (end > begin && isBlank(static_cast<unsigned char>(s[end - 1]))) --end;
    return end;
}

std::string_view trimmed(std::string_view s) {
    const std::size_t begin = skipBlanks(s, 0, s.size());
    return s.substr(begin, trimBlanksRight(s, begin, s.size()) - begin);
}

std::string withoutLeadingBlanks(const std::string& s) {
    return s.substr(skipBlanks(s, 0, s.size()));
}

// Case folding of one character: ASCII letters only (the Windows calls, as Wine has them, fold
// no full-width letters either).
unsigned foldedChar(std::string_view s, std::size_t i, std::size_t next) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (next == i + 1) return (b0 >= 'a' && b0 <= 'z') ? b0 - 'a' + 'A' : b0;
    return (b0 << 8) | static_cast<unsigned char>(s[i + 1]);
}

bool sameName(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t ni = nextChar(a, i, a.size());
        const std::size_t nj = nextChar(b, j, b.size());
        if (foldedChar(a, i, ni) != foldedChar(b, j, nj)) return false;
        i = ni;
        j = nj;
    }
    return i == a.size() && j == b.size();
}

// The text of a C string argument up to its NUL; a null pointer is the empty text.
std::string text(const char* s) {
    return s ? std::string(s) : std::string();
}

enum class Load { Missing, Read, Unreadable };

Load loadFile(const char* path, std::string& bytes) {
    bytes.clear();
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return Load::Missing;
    if (error || !std::filesystem::is_regular_file(status)) return Load::Unreadable;
    const std::uintmax_t length = std::filesystem::file_size(path, error);
    if (error || length > kLargestFile) return Load::Unreadable;
    std::ifstream in(path, std::ios::binary);
    if (!in) return Load::Unreadable;
    // Read in blocks: the size is only a hint, as the file may change while it is read.
    char block[65536];
    bytes.reserve(static_cast<std::size_t>(length));
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kLargestFile) return Load::Unreadable;
    }
    if (in.bad()) return Load::Unreadable;
    return Load::Read;
}

const char kUtf8Mark[] = "\xEF\xBB\xBF";

// Names and values end at a NUL byte, as the Windows calls see them.
std::string_view upToNul(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

// A name ends at a NUL byte too. What such a cut leaves must come back the same from a rewrite:
// blanks before the NUL would be trimmed from the rewritten line, and the lead byte of a
// double-byte character whose trail the NUL took would pair with the next byte written (the
// section's ']'). Both go, or a written value would not read back.
// Where the characters start is found once: cutting bytes off the end moves no start before the
// cut, so the cut name ends in a lone lead byte exactly when its last byte starts a character
// and is a lead byte. (Finding the last character anew for each byte cut was quadratic.)
std::string_view nameUpToNul(std::string_view s) {
    const std::size_t nul = s.find('\0');
    if (nul == std::string_view::npos) return s;
    std::vector<bool> starts(nul, false);
    for (std::size_t i = 0; i < nul; i = nextChar(s, i, nul)) starts[i] = true;
    std::size_t end = nul;
    for (;;) {
        end = trimBlanksRight(s, 0, end);
        if (end == 0 || !starts[end - 1] || !isLeadByte(static_cast<unsigned char>(s[end - 1]))) {
            return s.substr(0, end);
        }
        --end;
    }
}

// One line of a file as the Windows calls see it: its texts are views into the file's bytes.
struct Line {
    enum class Kind { Blank, Section, Entry };
    Kind kind = Kind::Blank;
    std::string_view name;                  // a section's or an entry's, cut at a NUL
    bool nameWritten = false;               // an entry has some text before its '='
    std::optional<std::string_view> value;  // nothing for an entry without '='
};

// Reads the line that starts at pos into line; returns where the next line starts. Lines end at
// CR or LF; blanks around the line, around an entry's name and before its value are dropped.
std::size_t readLine(std::string_view bytes, std::size_t pos, Line& line) {
    std::size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    const std::size_t next = end + 1;
    const std::size_t begin = skipBlanks(bytes, pos, end);
    end = trimBlanksRight(bytes, begin, end);
    line = Line{};
    if (begin >= end) return next;

    if (bytes[begin] == '[') {
        // "[name]" up to the last ']'; blanks inside the brackets are not part of the name.
        std::size_t close = std::string_view::npos;
        for (std::size_t i = begin; i < end; i = nextChar(bytes, i, end)) {
            if (bytes[i] == ']') close = i;
        }
        if (close != std::string_view::npos) {
            line.kind = Line::Kind::Section;
            line.name = nameUpToNul(trimmed(bytes.substr(begin + 1, close - begin - 1)));
            return next;
        }
    }

    line.kind = Line::Kind::Entry;
    std::size_t nameEnd = end;
    // Searched within the line only: a search to the end of the file would make reading
    // quadratic in the number of lines without '='.
    const auto* equals =
        static_cast<const char*>(std::memchr(bytes.data() + begin, '=', end - begin));
    if (equals != nullptr) {
        const auto at = static_cast<std::size_t>(equals - bytes.data());
        nameEnd = trimBlanksRight(bytes, begin, at);
        const std::size_t valueBegin = skipBlanks(bytes, at + 1, end);
        line.value = upToNul(bytes.substr(valueBegin, end - valueBegin));
    }
    line.nameWritten = nameEnd > begin;
    line.name = nameUpToNul(bytes.substr(begin, nameEnd - begin));
    return next;
}

std::size_t firstLine(std::string_view bytes) {
    return bytes.compare(0, 3, kUtf8Mark) == 0 ? 3 : 0;
}

// The value of the first entry of that name in the first section of that name (names trimmed,
// case ignored), without building the document: reads of a large file stay cheap.
// Nothing when the section or the entry is missing or the entry has no '='.
std::optional<std::string_view> findValue(std::string_view bytes, std::string_view section,
                                          std::string_view key) {
    section = trimmed(section);
    key = trimmed(key);
    bool inSection = false;
    Line line;
    for (std::size_t pos = firstLine(bytes); pos < bytes.size();) {
        pos = readLine(bytes, pos, line);
        if (line.kind == Line::Kind::Section) {
            if (inSection) return std::nullopt;  // only the first section of that name counts
            inSection = !line.name.empty() && sameName(line.name, section);
        } else if (inSection && line.kind == Line::Kind::Entry && sameName(line.name, key)) {
            return line.value;
        }
    }
    return std::nullopt;
}

}  // namespace

ProfileDocument ProfileDocument::parse(const std::string& bytes) {
    ProfileDocument doc;
    doc.sections.push_back(ProfileSection{});
    ProfileSection* section = &doc.sections.back();
    const ProfileKey* previous = nullptr;
    Line line;
    for (std::size_t pos = firstLine(bytes); pos < bytes.size();) {
        pos = readLine(bytes, pos, line);
        if (line.kind == Line::Kind::Section) {
            doc.sections.push_back(ProfileSection{std::string(line.name), {}});
            section = &doc.sections.back();
            previous = nullptr;
        } else if (line.kind == Line::Kind::Entry) {
            // Runs of entries with an empty name collapse into one.
            if (line.nameWritten || previous == nullptr || !previous->name.empty()) {
                std::optional<std::string> value;
                if (line.value) value.emplace(*line.value);
                section->keys.push_back(ProfileKey{std::string(line.name), std::move(value)});
                previous = &section->keys.back();
            }
        }
    }
    return doc;
}

std::string ProfileDocument::serialize() const {
    std::string out;
    for (const ProfileSection& section : sections) {
        if (!section.name.empty()) out += "[" + section.name + "]\r\n";
        for (const ProfileKey& key : section.keys) {
            out += key.name;
            if (key.value) out += "=" + *key.value;
            out += "\r\n";
        }
    }
    return out;
}

const ProfileKey* ProfileDocument::find(const std::string& section, const std::string& key) const {
    const std::string_view sectionName = trimmed(section);
    const std::string_view keyName = trimmed(key);
    for (const ProfileSection& s : sections) {
        if (s.name.empty() || !sameName(s.name, sectionName)) continue;
        for (const ProfileKey& k : s.keys) {
            if (sameName(k.name, keyName)) return &k;
        }
        return nullptr;  // only the first section of that name counts
    }
    return nullptr;
}

bool ProfileDocument::set(const std::string& section, const std::string& key,
                          const std::string& value) {
    const std::string_view sectionName = trimmed(section);
    const std::string_view keyName = trimmed(key);
    const std::string newValue = withoutLeadingBlanks(value);
    ProfileKey* target = nullptr;
    for (ProfileSection& s : sections) {
        if (s.name.empty() || !sameName(s.name, sectionName)) continue;
        for (ProfileKey& k : s.keys) {
            if (sameName(k.name, keyName)) {
                target = &k;
                break;
            }
        }
        if (!target) {
            s.keys.push_back(ProfileKey{withoutLeadingBlanks(key), std::nullopt});
            target = &s.keys.back();
        }
        break;
    }
    if (!target) {
        sections.push_back(ProfileSection{withoutLeadingBlanks(section), {}});
        sections.back().keys.push_back(ProfileKey{withoutLeadingBlanks(key), std::nullopt});
        target = &sections.back().keys.back();
    }
    if (target->value && *target->value == newValue) return false;
    target->value = newValue;
    return true;
}

std::uint32_t ProfileGetStringFromBytes(const std::string& bytes, bool fileExists,
                                        const char* section, const char* key,
                                        const char* defaultValue, char* buffer,
                                        std::uint32_t size) {
    if (buffer == nullptr || size == 0) return 0;
    buffer[0] = '\0';
    const std::string keyText = text(key);
    if (keyText.empty()) return 0;

    // The default loses its trailing spaces.
    std::string fallback = text(defaultValue);
    while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();

    std::string value = fallback;
    if (fileExists) {
        const std::optional<std::string_view> found = findValue(bytes, text(section), keyText);
        if (found) value = std::string(*found);
    }
    value.resize(std::strlen(value.c_str()));  // the calls see texts up to their first NUL

    // One pair of surrounding quotes is not part of the value.
    bool quoted = false;
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        quoted = true;
        value.erase(0, 1);
    }
    std::size_t copied = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), copied);
    buffer[copied] = '\0';
    // NOTE: the closing quote is removed from what was copied whenever the buffer could hold
    // the value without its opening quote, as the Windows calls do.
    if (quoted && size >= value.size() && copied > 0) buffer[--copied] = '\0';
    return static_cast<std::uint32_t>(copied);
}

std::uint32_t ProfileGetString(const char* section, const char* key, const char* defaultValue,
                               char* buffer, std::uint32_t size, const char* file) {
    std::string bytes;
    const bool readable = file != nullptr && loadFile(file, bytes) == Load::Read;
    return ProfileGetStringFromBytes(bytes, readable, section, key, defaultValue, buffer, size);
}

std::optional<std::string> ProfileWriteToBytes(const std::string& bytes, const char* section,
                                               const char* key, const char* value) {
    ProfileDocument doc = ProfileDocument::parse(bytes);
    if (!doc.set(section, key, value)) return std::nullopt;
    std::string out = doc.serialize();
    if (firstLine(bytes) != 0) out.insert(0, kUtf8Mark);
    return out;
}

bool ProfileWriteString(const char* section, const char* key, const char* value, const char* file,
                        const ProfileSave& save) {
    if (file == nullptr || *file == '\0' || section == nullptr || key == nullptr ||
        value == nullptr) {
        return false;
    }
    std::string bytes;
    const Load load = loadFile(file, bytes);
    if (load == Load::Unreadable) return false;

    const std::optional<std::string> out = ProfileWriteToBytes(bytes, section, key, value);
    if (!out && load == Load::Read) return true;
    return save(file, out ? *out : bytes);
}

}  // namespace orveline
