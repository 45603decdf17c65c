#include "profile_file.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

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
std::size_t nextChar(const std::string& s, std::size_t i, std::size_t end) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (isLeadByte(b) && i + 1 < end && isTrailByte(static_cast<unsigned char>(s[i + 1]))) {
        return i + 2;
    }
    return i + 1;
}

bool isBlank(unsigned char b) {
    return (b >= 0x09 && b <= 0x0D) || b == 0x20 || b == 0x1A;
}

std::size_t skipBlanks(const std::string& s, std::size_t begin, std::size_t end) {
    while (begin < end && isBlank(static_cast<unsigned char>(s[begin]))) ++begin;
    return begin;
}

std::size_t trimBlanksRight(const std::string& s, std::size_t begin, std::size_t end) {
    while (end > begin && isBlank(static_cast<unsigned char>(s[end - 1]))) --end;
    return end;
}

std::string trimmed(const std::string& s) {
    const std::size_t begin = skipBlanks(s, 0, s.size());
    return s.substr(begin, trimBlanksRight(s, begin, s.size()) - begin);
}

std::string withoutLeadingBlanks(const std::string& s) {
    return s.substr(skipBlanks(s, 0, s.size()));
}

// Case folding of one character: ASCII letters only (the Windows calls, as Wine has them, fold
// no full-width letters either).
unsigned foldedChar(const std::string& s, std::size_t i, std::size_t next) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (next == i + 1) return (b0 >= 'a' && b0 <= 'z') ? b0 - 'a' + 'A' : b0;
    return (b0 << 8) | static_cast<unsigned char>(s[i + 1]);
}

bool sameName(const std::string& a, const std::string& b) {
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
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return Load::Unreadable;
    return Load::Read;
}

// Writes the whole file through a temporary beside it, so that a failed write (disc full) leaves
// the old file whole. A link is written through (its target replaced, the link kept) and the
// file keeps its permissions. Where no temporary can be made, the file is written in place.
bool saveFile(const std::string& path, const std::string& bytes) {
    std::error_code error;
    std::filesystem::path target(path);
    if (std::filesystem::is_symlink(target, error)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
        if (!error) target = resolved;
    }
    const std::filesystem::file_status old = std::filesystem::status(target, error);
    const std::string temporary = target.string() + ".orveline-new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            std::ofstream inPlace(target, std::ios::binary | std::ios::trunc);
            inPlace.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            inPlace.flush();
            return static_cast<bool>(inPlace);
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::filesystem::exists(old)) {
        std::filesystem::permissions(temporary, old.permissions(), error);
    }
    if (std::rename(temporary.c_str(), target.string().c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool endsInLoneLeadByte(const std::string& s) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < s.size(); i = nextChar(s, i, s.size())) last = i;
    return !s.empty() && last == s.size() - 1 && isLeadByte(static_cast<unsigned char>(s.back()));
}

const char kUtf8Mark[] = "\xEF\xBB\xBF";

// Names and values end at a NUL byte, as the Windows calls see them.
std::string upToNul(const std::string& s) {
    return s.substr(0, s.find('\0'));
}

// A name ends at a NUL byte too. What such a cut leaves must come back the same from a rewrite:
// blanks before the NUL would be trimmed from the rewritten line, and the lead byte of a
// double-byte character whose trail the NUL took would pair with the next byte written (the
// section's ']'). Both go, or a written value would not read back.
std::string nameUpToNul(const std::string& s) {
    const std::size_t nul = s.find('\0');
    if (nul == std::string::npos) return s;
    std::string name = s.substr(0, nul);
    for (;;) {
        name.resize(trimBlanksRight(name, 0, name.size()));
        if (!endsInLoneLeadByte(name)) return name;
        name.pop_back();
    }
}

}  // namespace

ProfileDocument ProfileDocument::parse(const std::string& bytes) {
    ProfileDocument doc;
    doc.sections.push_back(ProfileSection{});
    ProfileSection* section = &doc.sections.back();
    const ProfileKey* previous = nullptr;

    std::size_t next = 0;
    if (bytes.compare(0, 3, kUtf8Mark) == 0) next = 3;
    while (next < bytes.size()) {
        std::size_t begin = next;
        std::size_t end = bytes.find_first_of("\r\n", begin);
        end = (end == std::string::npos) ? bytes.size() : end;
        next = end + 1;

        begin = skipBlanks(bytes, begin, end);
        end = trimBlanksRight(bytes, begin, end);
        if (begin >= end) continue;

        if (bytes[begin] == '[') {
            std::size_t close = std::string::npos;
            for (std::size_t i = begin; i < end; i = nextChar(bytes, i, end)) {
                if (bytes[i] == ']') close = i;
            }
            if (close != std::string::npos) {
                doc.sections.push_back(
                    ProfileSection{nameUpToNul(bytes.substr(begin + 1, close - begin - 1)), {}});
                section = &doc.sections.back();
                previous = nullptr;
                continue;
            }
        }

        std::size_t nameEnd = end;
        std::optional<std::string> value;
        const std::size_t equals = bytes.find('=', begin);
        if (equals != std::string::npos && equals < end) {
            nameEnd = trimBlanksRight(bytes, begin, equals);
            const std::size_t valueBegin = skipBlanks(bytes, equals + 1, end);
            value = bytes.substr(valueBegin, end - valueBegin);
        }
        // Runs of entries with an empty name collapse into one.
        if (nameEnd > begin || previous == nullptr || !previous->name.empty()) {
            section->keys.push_back(ProfileKey{nameUpToNul(bytes.substr(begin, nameEnd - begin)),
                                               value ? std::optional(upToNul(*value)) : value});
            previous = &section->keys.back();
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
    const std::string sectionName = trimmed(section);
    const std::string keyName = trimmed(key);
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
    const std::string sectionName = trimmed(section);
    const std::string keyName = trimmed(key);
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
        const ProfileDocument doc = ProfileDocument::parse(bytes);
        const ProfileKey* found = doc.find(text(section), keyText);
        if (found && found->value) value = *found->value;
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
    if (bytes.compare(0, 3, kUtf8Mark) == 0) out.insert(0, kUtf8Mark);
    return out;
}

bool ProfileWriteString(const char* section, const char* key, const char* value, const char* file) {
    if (file == nullptr || section == nullptr || key == nullptr || value == nullptr) return false;
    std::string bytes;
    const Load load = loadFile(file, bytes);
    if (load == Load::Unreadable) return false;

    const std::optional<std::string> out = ProfileWriteToBytes(bytes, section, key, value);
    if (!out && load == Load::Read) return true;
    return saveFile(file, out ? *out : bytes);
}

}  // namespace orveline
