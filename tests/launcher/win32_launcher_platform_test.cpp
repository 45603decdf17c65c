#include "win32_launcher_platform.h"

#include <gtest/gtest.h>

namespace orveline {
namespace {

TEST(Win32CommandLine, ArgumentsFollowTheProgramName) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Orveline.scr /s", "/s"},
        {"\"C:\\Program Files\\Orveline.scr\" /p 1234", "/p 1234"},
        {"\"C:\\a b\\Orveline.scr\"/c", "/c"},
        {"C:\\x\\Orveline.scr", ""},
        {"Orveline.scr  \t /c:99", "/c:99"},
        {"\"unterminated", ""},
        {"", ""},
    };
    for (const auto& [line, arguments] : cases) {
        EXPECT_EQ(ArgumentsOfCommandLine(line), arguments) << line;
    }
}

TEST(Win32MessageBox, TheRendererMessageGoesOutInCodePage932) {
    EXPECT_EQ(Utf8ToCodePage("Orveline.dll が Orveline.scr と同じﾌｫﾙﾀﾞに見つかりません！", 932),
              "Orveline.dll \x82\xAA Orveline.scr \x82\xC6\x93\xAF\x82\xB6\xCC\xAB\xD9\xC0\xDE"
              "\x82\xC9\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x49");
    EXPECT_EQ(Utf8ToCodePage("", 932), "");
}

}  // namespace
}  // namespace orveline
