// Media command texts: the error numbers and descriptions of the Windows media control
// interface, word splitting with its quoting rules, and replies into a caller's buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orveline::mci {

enum Error : std::uint32_t {
    kOk = 0,
    kUnrecognizedKeyword = 259,
    kUnrecognizedCommand = 261,
    kHardware = 262,
    kInvalidDeviceName = 263,
    kDeviceOpen = 265,
    kCannotLoadDriver = 266,
    kMissingCommandString = 267,
    kParamOverflow = 268,
    kBadInteger = 270,
    kMissingParameter = 273,
    kUnsupportedFunction = 274,
    kFileNotFound = 275,
    kDeviceNotReady = 276,
    kInternal = 277,
    kExtensionNotFound = 281,
    kOutOfRange = 282,
    kDuplicateAlias = 289,
    kBadConstant = 290,
    kMissingDeviceName = 292,
    kBadTimeFormat = 293,
    kNoClosingQuote = 294,
    kInvalidFile = 296,
    kExtraCharacters = 305,
    kNoInteger = 312,
};

// The description the Windows media control interface gives for `code`, or null.
const char* errorDescription(std::uint32_t code);

// Splits a command into words at blanks; a word in double quotes keeps its blanks. Returns
// kNoClosingQuote or kExtraCharacters for a malformed quote, else kOk.
std::uint32_t splitWords(const std::string& command, std::vector<std::string>& words);

// Copies `text` NUL-terminated into `buffer`; kParamOverflow when it does not fit. A null
// buffer of capacity 0 takes no reply.
std::uint32_t writeReply(const std::string& text, char* buffer, std::uint32_t capacity);

// Parses "a[:b[:c[:d]]]" of decimal fields, each 0..255 as the interface packs them into bytes.
// Returns the number of fields (1 to `maxFields`), or 0 when the text is no such time.
int parseColonFields(const std::string& text, int maxFields, int fields[4]);

}  // namespace orveline::mci
