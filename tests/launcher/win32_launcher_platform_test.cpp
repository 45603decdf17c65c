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

// Each argument comes back whole from the C runtime's parsing: quoted where it has blanks or
// quotes, its backslashes doubled only before a quote.
TEST(Win32CommandLine, ArgumentsAreQuotedForTheProgramsParsing) {
    EXPECT_EQ(CommandLineOf("C:\\a b\\Orveline.dll", {"--window-id", "0x2a"}),
              "\"C:\\a b\\Orveline.dll\" --window-id 0x2a");
    EXPECT_EQ(CommandLineOf("R.dll", {"a b", "say \"hi\"", "C:\\x\\", "d\\ e\\", ""}),
              "R.dll \"a b\" \"say \\\"hi\\\"\" C:\\x\\ \"d\\ e\\\\\" \"\"");
}

TEST(Win32MessageBox, TheRendererMessageGoesOutAsUtf16) {
    EXPECT_EQ(Utf8ToWide("Orveline.dll が Orveline.scr と同じﾌｫﾙﾀﾞに見つかりません！"),
              L"Orveline.dll \u304C Orveline.scr \u3068\u540C\u3058\uFF8C\uFF6B\uFF99\uFF80"
              L"\uFF9E\u306B\u898B\u3064\u304B\u308A\u307E\u305B\u3093\uFF01");
    EXPECT_EQ(Utf8ToWide(""), L"");
}

}  // namespace
}  // namespace orveline
