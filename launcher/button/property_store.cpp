#include "property_store.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace orveline {

bool CaptionFont::operator==(const CaptionFont& other) const {
    return Name == other.Name && Size == other.Size && Charset == other.Charset &&
           Weight == other.Weight && Italic == other.Italic && Underline == other.Underline &&
           Strikethrough == other.Strikethrough;
}

CaptionFont BuiltInCaptionFont() {
    CaptionFont font;
    font.Name = "ＭＳ Ｐゴシック";
    return font;
}

namespace {

// A whole decimal number with optional blanks and sign; anything else is no number.
std::optional<double> ParseNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    double number = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE || !std::isfinite(number)) return std::nullopt;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return std::nullopt;
    // strtod also takes hexadecimal and "inf"/"nan" forms; a stored value never has them.
    if (text.find_first_of("xXnN") != std::string::npos) return std::nullopt;
    return number;
}

std::optional<double> AsNumber(const PropertyValue& value) {
    if (auto b = std::get_if<bool>(&value)) return *b ? -1.0 : 0.0;
    if (auto i = std::get_if<std::int32_t>(&value)) return static_cast<double>(*i);
    if (auto s = std::get_if<std::string>(&value)) return ParseNumber(*s);
    return std::nullopt;
}

}  // namespace

bool SameAsDefault(const PropertyValue& value, const PropertyValue& fallback) {
    if (value.index() == fallback.index()) return value == fallback;
    if (std::holds_alternative<CaptionFont>(value) || std::holds_alternative<CaptionFont>(fallback))
        return false;
    if (std::holds_alternative<std::string>(value) && std::holds_alternative<std::string>(fallback))
        return false;
    auto a = AsNumber(value);
    auto b = AsNumber(fallback);
    return a && b && *a == *b;
}

std::optional<bool> AsBoolean(const PropertyValue& value) {
    if (auto b = std::get_if<bool>(&value)) return *b;
    if (auto s = std::get_if<std::string>(&value)) {
        if (*s == "True" || *s == "true") return true;
        if (*s == "False" || *s == "false") return false;
    }
    auto number = AsNumber(value);
    if (!number) return std::nullopt;
    return *number != 0.0;
}

std::optional<std::int64_t> AsInteger(const PropertyValue& value, std::int64_t low,
                                      std::int64_t high) {
    auto number = AsNumber(value);
    if (!number) return std::nullopt;
    double rounded = std::nearbyint(*number);  // halves to even, as a whole-number conversion does
    if (rounded < static_cast<double>(low) || rounded > static_cast<double>(high))
        return std::nullopt;
    return static_cast<std::int64_t>(rounded);
}

std::optional<std::string> AsText(const PropertyValue& value) {
    if (auto s = std::get_if<std::string>(&value)) return *s;
    if (auto b = std::get_if<bool>(&value)) return std::string(*b ? "True" : "False");
    if (auto i = std::get_if<std::int32_t>(&value)) return std::to_string(*i);
    return std::nullopt;
}

PropertyValue PropertyStore::ReadProperty(const std::string& key,
                                          const PropertyValue& fallback) const {
    for (const auto& entry : entries_)
        if (entry.first == key) return entry.second;
    return fallback;
}

void PropertyStore::WriteProperty(const std::string& key, const PropertyValue& value,
                                  const PropertyValue& fallback) {
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [&](const auto& entry) { return entry.first == key; });
    if (SameAsDefault(value, fallback)) {
        if (found != entries_.end()) entries_.erase(found);
    } else if (found != entries_.end()) {
        found->second = value;
    } else {
        entries_.emplace_back(key, value);
    }
}

bool PropertyStore::Contains(const std::string& key) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const auto& entry) { return entry.first == key; });
}

}  // namespace orveline
