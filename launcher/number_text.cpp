#include "number_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace orveline {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct Scan {
    double value = 0;
    std::size_t end = 0;  // first byte not used
    bool found = false;   // at least one digit
    bool overflow = false;
};

// &H / &O integer at pos (pos points at '&'). Up to 4 digits is a 16-bit pattern, up to 8 digits
// (11 octal) a 32-bit pattern; more is an overflow.
Scan scanRadix(const std::string& s, std::size_t pos) {
    Scan r;
    if (pos + 1 >= s.size()) return r;
    const char kind = s[pos + 1];
    const int radix = (kind == 'h' || kind == 'H') ? 16 : (kind == 'o' || kind == 'O') ? 8 : 0;
    if (radix == 0) return r;
    std::size_t i = pos + 2;
    std::uint64_t bits = 0;
    int digits = 0;
    while (i < s.size()) {
        const int d = hexDigit(s[i]);
        if (d < 0 || d >= radix) break;
        if (digits < 32) bits = bits * radix + d;
        ++digits;
        ++i;
    }
    if (digits == 0) return r;
    r.found = true;
    r.end = i;
    const bool fits16 = radix == 16 ? digits <= 4 : bits <= 0xFFFF;
    const bool fits32 = radix == 16 ? digits <= 8 : (digits <= 11 && bits <= 0xFFFFFFFFu);
    if (fits16 && bits <= 0xFFFF) {
        r.value = static_cast<std::int16_t>(static_cast<std::uint16_t>(bits));
    } else if (fits32) {
        r.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
    } else {
        r.overflow = true;
    }
    return r;
}

// Decimal number at pos: [sign] digits [. digits] [E|D [sign] digits]; at least one digit.
Scan scanDecimal(const std::string& s, std::size_t pos) {
    Scan r;
    std::string canonical;
    std::size_t i = pos;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) canonical.push_back(s[i++]), ++digits;
    if (i < s.size() && s[i] == '.') {
        std::size_t j = i + 1;
        std::string fraction;
        while (j < s.size() && isDigit(s[j])) fraction.push_back(s[j++]);
        if (digits > 0 || !fraction.empty()) {
            canonical += "." + fraction;
            digits += fraction.size();
            i = j;
        }
    }
    if (digits == 0) return r;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
        std::size_t expDigits = 0;
        while (j < s.size() && isDigit(s[j])) exponent.push_back(s[j++]), ++expDigits;
        if (expDigits > 0) {
            canonical += exponent;
            i = j;
        }
    }
    if (canonical.front() == '.') canonical.insert(canonical.begin(), '0');
    double value = 0;
    const auto result = std::from_chars(canonical.data(), canonical.data() + canonical.size(),
                                        value, std::chars_format::general);
    r.found = true;
    r.end = i;
    if (result.ec == std::errc::result_out_of_range) {
        // Tiny values (a negative exponent or no whole part) underflow to zero; others overflow.
        const bool tiny = canonical.find("e-") != std::string::npos ||
                          canonical.find_first_not_of('0') == canonical.find('.');
        value = 0;
        r.overflow = !tiny;
    }
    if (!std::isfinite(value)) r.overflow = true;
    r.value = negative ? -value : value;
    return r;
}

Scan scanNumber(const std::string& s, std::size_t pos) {
    if (pos < s.size() && s[pos] == '&') return scanRadix(s, pos);
    return scanDecimal(s, pos);
}

}  // namespace

std::optional<double> NumberText(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    const std::string core = text.substr(begin, end - begin);
    const Scan scan = scanNumber(core, 0);
    if (!scan.found || scan.overflow || scan.end != core.size()) return std::nullopt;
    return scan.value;
}

double LeadingNumber(const std::string& text) {
    std::string packed;
    packed.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') packed.push_back(c);
    }
    const Scan scan = scanNumber(packed, 0);
    if (!scan.found) return 0;
    if (scan.overflow) return std::numeric_limits<double>::infinity();
    return scan.value;
}

std::optional<std::int32_t> RoundToInt32(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    // Halves go to the even neighbour.
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
    if (whole < -2147483648.0 || whole > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(whole);
}

}  // namespace orveline
