// Our own private-profile (initialisation file) read and write for platforms without kernel32,
// following what the Windows calls do on every case the launcher meets, checked against Wine's
// kernel32 by tests/launcher (profile comparison):
//   - lines end at CR or LF; blanks (space, tab, CR, LF, VT, FF, Ctrl-Z) around a line, around a
//     key name and before a value are not part of them; blank lines are dropped on rewrite;
//   - "[name]" up to the last ']' starts a section, blanks inside the brackets around the name
//     not part of it (a rewrite writes "[name]"); lines before the first section and lines
//     without '=' are kept as they stand;
//   - section and key names match without regard to ASCII case;
//     the first matching section and, in it, the first matching key win;
//   - a read copies at most size - 1 bytes, drops one pair of surrounding quotes, and gives the
//     default for a missing file, section or key;
//   - a write that changes nothing leaves the file alone; otherwise the whole file is written
//     again in the canonical layout (CRLF line ends, no blank lines), with the
//     new section or key appended at the end.
// Texts are bytes: code-page-932 double-byte characters are kept whole (a trail byte that looks
// like ']' or a letter is not one); a name or value ends at a NUL byte.
// NOTE: deliberate differences: the Windows calls (as Wine has them) read the file through
// Unicode, so a byte sequence that is not a character of code page 932 (a lead byte before a
// line end or an unassigned pair) comes back as '・' and may swallow the line end after it. We
// keep such bytes as they are and end lines where the bytes say. Likewise a file that starts with
// a UTF-8 byte-order mark is UTF-8 to the Windows calls (so code-page-932 names match their UTF-8
// spelling there); to us its bytes are what they are, and the mark is kept on rewrite. And a name
// cut by a NUL loses the blanks before the NUL: to Wine's calls they stay part of the name, which
// no look-up then finds, so a value written to that name would not read back.
// Portable C++: no operating-system header.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orveline {

struct ProfileKey {
    std::string name;
    std::optional<std::string> value;  // nothing for a line without '='
};

struct ProfileSection {
    std::string name;  // empty for the lines before the first section header
    std::vector<ProfileKey> keys;
};

// A parsed file. Parsing never fails: any bytes give some document.
struct ProfileDocument {
    std::vector<ProfileSection> sections;  // sections[0] is the unnamed head

    static ProfileDocument parse(const std::string& bytes);
    std::string serialize() const;

    // Finds section/key (names trimmed of blanks, case ignored); nullptr when missing.
    const ProfileKey* find(const std::string& section, const std::string& key) const;
    // Sets a value, creating the section and the key as needed; false when nothing changed.
    bool set(const std::string& section, const std::string& key, const std::string& value);
};

// GetPrivateProfileStringA over a file path: NUL-terminated result in buffer (when size > 0),
// returns the number of bytes copied.
std::uint32_t ProfileGetString(const char* section, const char* key, const char* defaultValue,
                               char* buffer, std::uint32_t size, const char* file);

// Read the value the way ProfileGetString does, from bytes already in memory.
std::uint32_t ProfileGetStringFromBytes(const std::string& bytes, bool fileExists,
                                        const char* section, const char* key,
                                        const char* defaultValue, char* buffer, std::uint32_t size);

// What a write makes of a file's bytes: the canonical layout with the value set, a leading
// byte-order mark kept. Nothing when the value is already there, so the file can stay as it is.
std::optional<std::string> ProfileWriteToBytes(const std::string& bytes, const char* section,
                                               const char* key, const char* value);

// Writes bytes as the whole new contents of the file at path; false, with the file as it was,
// when it cannot. The platform's: the writing of a file whole is not portable.
using ProfileSave = std::function<bool(const std::string& path, const std::string& bytes)>;

// WritePrivateProfileStringA over a file path, the file written through save; the file is created
// when missing (its folder must exist). Returns true when the value is in the file afterwards.
bool ProfileWriteString(const char* section, const char* key, const char* value, const char* file,
                        const ProfileSave& save);

}  // namespace orveline
