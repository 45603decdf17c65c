// Any settings file bytes: a read never copies more than the buffer allows and always ends its
// text inside the buffer, finds what the parsed document holds, and a write settles.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first bytes choose the buffer size and the names, the rest is the file.
    if (size < 3) return 0;
    const std::uint32_t bufferSize = data[0];
    const std::size_t nameLength = data[1] % 8;
    if (size < 2 + 2 * nameLength) return 0;
    const std::string section(reinterpret_cast<const char*>(data + 2), nameLength);
    const std::string key(reinterpret_cast<const char*>(data + 2 + nameLength), nameLength);
    const std::string file(reinterpret_cast<const char*>(data + 2 + 2 * nameLength),
                           size - 2 - 2 * nameLength);

    std::vector<char> buffer(bufferSize + 1, '\x55');
    const std::uint32_t copied = orveline::ProfileGetStringFromBytes(
        file, true, section.c_str(), key.c_str(), "", buffer.data(), bufferSize);
    if (bufferSize == 0) {
        if (copied != 0 || buffer[0] != '\x55') std::abort();
    } else if (copied >= bufferSize || buffer[copied] != '\0' || buffer[bufferSize] != '\x55') {
        std::abort();
    }

    // A read scans the file without building the document: it finds the value the document
    // holds, less one pair of surrounding quotes.
    const std::string sectionText = section.c_str();
    const std::string keyText = key.c_str();
    const orveline::ProfileDocument document = orveline::ProfileDocument::parse(file);
    const orveline::ProfileKey* held = document.find(sectionText, keyText);
    std::string expected = held && held->value && !keyText.empty() ? *held->value : "";
    if (expected.size() >= 2 && (expected[0] == '"' || expected[0] == '\'') &&
        expected.back() == expected[0]) {
        expected = expected.substr(1, expected.size() - 2);
    }
    std::vector<char> whole(expected.size() + 2, '\x55');
    orveline::ProfileGetStringFromBytes(file, true, section.c_str(), key.c_str(), "", whole.data(),
                                        static_cast<std::uint32_t>(whole.size()));
    if (expected != whole.data()) std::abort();

    // Writing the settings, as the dialog does, settles: blank lines and junk the layout cannot
    // hold go in the first write, and writing the same value again leaves the bytes as they are.
    auto write = [](const std::string& bytes) {
        return orveline::ProfileWriteToBytes(bytes, "Section", "\x42\x47\x4D\x8B\xE6\x95\xAA", "2");
    };
    const std::string written = write(file).value_or(file);
    if (write(written)) std::abort();
    return 0;
}
