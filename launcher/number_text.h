// The two ways the launcher reads a number from text, independent of the C locale:
//   NumberText   the whole text must be a number (the settings values);
//   LeadingNumber the longest number at the start, blanks ignored, 0 for none (the preview
//                 handle on the command line).
// Both take decimal numbers with an optional sign, fraction and exponent (E or D), and &H/&O
// hexadecimal/octal integers (up to 4 digits a 16-bit and up to 8 digits a 32-bit pattern).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orveline {

std::optional<double> NumberText(const std::string& text);
double LeadingNumber(const std::string& text);
// Rounds to the nearest 32-bit signed integer, halves to the even neighbour; nothing when the
// value is not finite or lies outside the range.
std::optional<std::int32_t> RoundToInt32(double value);

}  // namespace orveline
