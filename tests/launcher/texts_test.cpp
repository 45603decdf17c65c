#include "texts.h"

#include <gtest/gtest.h>

#include <string>

namespace orveline {
namespace {

constexpr Language J = Language::Japanese;
constexpr Language E = Language::English;

TEST(Language, LinuxFollowsGettextsOrderOfVariables) {
    struct Case {
        const char *language, *lcAll, *lcMessages, *lang;
        Language expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, "ja_JP.UTF-8", J},
        {nullptr, nullptr, nullptr, "ja", J},
        {nullptr, nullptr, nullptr, "ja_JP@cjknarrow", J},
        {nullptr, nullptr, nullptr, "C.UTF-8", E},
        {nullptr, nullptr, nullptr, "en_US.UTF-8", E},
        {nullptr, nullptr, nullptr, "jam_JM", E},  // Jamaican Creole, not Japanese
        {nullptr, nullptr, nullptr, nullptr, E},
        {nullptr, nullptr, "ja_JP.UTF-8", "en_US.UTF-8", J},
        {nullptr, "en_US.UTF-8", "ja_JP.UTF-8", "ja_JP.UTF-8", E},
        {nullptr, "", "", "ja_JP.UTF-8", J},  // empty counts as unset
        {"ja:en", nullptr, nullptr, "en_US.UTF-8", J},
        {"en:ja", nullptr, nullptr, "ja_JP.UTF-8", E},
        {":ja_JP", nullptr, nullptr, "de_DE.UTF-8", J},
        {"", nullptr, nullptr, "ja_JP.UTF-8", J},
        {"de", nullptr, nullptr, "ja_JP.UTF-8", E},
        // LANGUAGE is ignored in the C locale, and with no locale at all.
        {"ja", "C", nullptr, nullptr, E},
        {"ja", nullptr, nullptr, "POSIX", E},
        {"ja", nullptr, nullptr, nullptr, E},
        {"ja", nullptr, nullptr, "C.UTF-8", J},
    };
    for (const Case& c : cases) {
        const auto show = [](const char* v) { return v ? std::string(v) : std::string("(unset)"); };
        SCOPED_TRACE("LANGUAGE=" + show(c.language) + " LC_ALL=" + show(c.lcAll) +
                     " LC_MESSAGES=" + show(c.lcMessages) + " LANG=" + show(c.lang));
        EXPECT_EQ(LanguageFromLocale(c.language, c.lcAll, c.lcMessages, c.lang), c.expected);
    }
}

TEST(Language, WindowsJapaneseIsEveryJapaneseSublanguage) {
    EXPECT_EQ(LanguageFromLangId(0x0411), J);  // ja-JP
    EXPECT_EQ(LanguageFromLangId(0x0011), J);  // neutral Japanese
    EXPECT_EQ(LanguageFromLangId(0x0409), E);  // en-US
    EXPECT_EQ(LanguageFromLangId(0x0404), E);  // zh-TW
    EXPECT_EQ(LanguageFromLangId(0x0000), E);
}

TEST(Texts, EveryTextHasBothLanguagesAndEnglishIsAscii) {
    // ASCII English draws the same through every code page and Windows' 8-bit calls.
    for (int i = 0; i < static_cast<int>(Text::Count); ++i) {
        SCOPED_TRACE(i);
        const std::string japanese = TextOf(static_cast<Text>(i), J);
        const std::string english = TextOf(static_cast<Text>(i), E);
        EXPECT_FALSE(japanese.empty());
        EXPECT_FALSE(english.empty());
        for (const char c : english) EXPECT_TRUE(c == '\n' || (c >= ' ' && c <= '~')) << english;
    }
    EXPECT_STREQ(TextOf(Text::Count, E), "") << "no text beyond the table";
}

}  // namespace
}  // namespace orveline
