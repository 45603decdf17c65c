// Named, typed values that the host keeps for each button instance between sessions. A value
// equal to its default is not kept, so a saved layout only lists what differs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace orveline {

// The caption font as the host persists it; a button shares one object with whoever set it.
struct CaptionFont {
    std::string Name;    // face name, in the build's text bytes
    double Size = 9.75;  // points
    std::int16_t Charset = 128;
    std::int16_t Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;

    bool operator==(const CaptionFont& other) const;
    bool operator!=(const CaptionFont& other) const { return !(*this == other); }
};

// The font every new button starts with.
CaptionFont BuiltInCaptionFont();

using PropertyValue = std::variant<bool, std::int32_t, std::string, CaptionFont>;

// True when a value counts as its default: same type and value, or a text default that reads
// as the same number ("1" equals 1).
bool SameAsDefault(const PropertyValue& value, const PropertyValue& fallback);

// Conversions of a stored value to what a property holds; empty when the value does not convert.
std::optional<bool> AsBoolean(const PropertyValue& value);
std::optional<std::int64_t> AsInteger(const PropertyValue& value, std::int64_t low,
                                      std::int64_t high);
std::optional<std::string> AsText(const PropertyValue& value);

class PropertyStore {
  public:
    virtual ~PropertyStore() = default;

    // The stored value of `key`, or `fallback` when the store does not hold it.
    virtual PropertyValue ReadProperty(const std::string& key, const PropertyValue& fallback) const;
    // Keeps `value` under `key`, or forgets the key when the value equals `fallback`.
    virtual void WriteProperty(const std::string& key, const PropertyValue& value,
                               const PropertyValue& fallback);

    bool Contains(const std::string& key) const;
    // Stored entries in the order they were first written.
    const std::vector<std::pair<std::string, PropertyValue>>& Entries() const { return entries_; }

    // The host's font, the default of the "Font" key.
    CaptionFont AmbientFont = BuiltInCaptionFont();

  private:
    std::vector<std::pair<std::string, PropertyValue>> entries_;
};

}  // namespace orveline
