#include "texts.h"

#include <string>

namespace orveline {

namespace {

bool empty(const char* value) {
    return value == nullptr || value[0] == '\0';
}

// "ja", "ja_JP", "ja_JP.UTF-8", "ja@...": the language part of a locale name is "ja".
bool japanese(const std::string& name) {
    return name.compare(0, 2, "ja") == 0 &&
           (name.size() == 2 || name[2] == '_' || name[2] == '.' || name[2] == '@');
}

}  // namespace

Language LanguageFromLocale(const char* language, const char* lcAll, const char* lcMessages,
                            const char* lang) {
    const char* locale = !empty(lcAll) ? lcAll : !empty(lcMessages) ? lcMessages : lang;
    std::string name = empty(locale) ? "C" : locale;
    // gettext ignores LANGUAGE in the "C" locale, whose messages are the program's own.
    if (name != "C" && name != "POSIX" && !empty(language)) {
        const std::string list = language;
        const std::size_t first = list.find_first_not_of(':');
        if (first != std::string::npos) name = list.substr(first, list.find(':', first) - first);
    }
    return japanese(name) ? Language::Japanese : Language::English;
}

Language LanguageFromLangId(std::uint16_t langId) {
    constexpr std::uint16_t kPrimaryMask = 0x3FF;  // PRIMARYLANGID
    constexpr std::uint16_t kLangJapanese = 0x11;  // LANG_JAPANESE
    return (langId & kPrimaryMask) == kLangJapanese ? Language::Japanese : Language::English;
}

}  // namespace orveline
