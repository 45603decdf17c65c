#include "hosted_run.h"

#include <gtest/gtest.h>

namespace orveline {
namespace {

TEST(HostedCommand, DaemonCommandLinesAndBadIds) {
    struct Case {
        std::vector<std::string> arguments;
        const char* environment;
        bool error;
        std::uint32_t window;
    };
    const Case cases[] = {
        {{"--root"}, "0x1a00007", false, 0x1a00007},
        {{"-root"}, "27262983", false, 27262983},
        {{"--root"}, nullptr, false, 0},  // the screen's root window
        {{"--window-id", "0X2E"}, "0x99", false, 0x2e},
        {{"-window-id", "46"}, nullptr, false, 46},
        {{"--root"}, "window", true, 0},
        {{"--window-id"}, nullptr, true, 0},
        {{"--window-id", "0"}, nullptr, true, 0},
        {{"--window-id", "12abc"}, nullptr, true, 0},
        {{"--window-id", "4294967296"}, nullptr, true, 0},
        {{"--root", "-x"}, nullptr, true, 0},
    };
    for (const Case& c : cases) {
        const HostedCommand command = ParseHostedCommand(c.arguments, c.environment);
        EXPECT_TRUE(command.hosted);
        EXPECT_EQ(!command.error.empty(), c.error) << c.arguments[0] << ": " << command.error;
        if (c.error) continue;
        EXPECT_EQ(command.music, c.arguments[0].find("root") != std::string::npos);
        EXPECT_EQ(command.window, c.window) << c.arguments[0];
    }
    EXPECT_FALSE(ParseHostedCommand({"/s"}, "0x10").hosted);
    EXPECT_FALSE(ParseHostedCommand({}, "0x10").hosted);
}

const char kDefaults[] =
    "*programs:\t\\\n\t\tmaze --root\t\\n\\\n- GL: \t\tsuperquadrics --root\t\\n\n\n"
    "*hacks.maze.name: Maze\n";

TEST(AddToXScreenSaver, AppendsOnceAndKeepsEveryOtherByte) {
    // As the daemon's settings write it: every entry ends in "\n\", an empty line ends the list.
    std::string text = "selected:\t1\nprograms:\t\\\n\tmaze --root\t\\n\\\n\nfade: False\n";
    ASSERT_TRUE(AddXScreenSaverProgram(text, "orveline --root", kDefaults));
    EXPECT_EQ(text,
              "selected:\t1\nprograms:\t\\\n\tmaze --root\t\\n\\\n"
              "\t\t\t\torveline --root\t\t\t    \\n\\\n\nfade: False\n");
    const std::string once = text;
    EXPECT_FALSE(AddXScreenSaverProgram(text, "orveline --root", kDefaults));
    EXPECT_EQ(text, once);

    // Named already, disabled or by a path; a last entry without "\n" gets one before ours.
    text = "programs: maze --root \\n\\\n - GL: /usr/bin/orveline  --root\n";
    EXPECT_FALSE(AddXScreenSaverProgram(text, "orveline --root", kDefaults));
    text = "programs: maze --root";
    ASSERT_TRUE(AddXScreenSaverProgram(text, "orveline --root", kDefaults));
    EXPECT_EQ(text, "programs: maze --root\\\n\\n\t\t\t\torveline --root\t\t\t    \\n\n");

    // No list yet: the system's programs come first, so none is lost.
    text = "timeout: 0:05:00\n";
    ASSERT_TRUE(AddXScreenSaverProgram(text, "orveline --root", kDefaults));
    EXPECT_EQ(text,
              "timeout: 0:05:00\n\nprograms:\t\\\n\t\tmaze --root\t\\n\\\n- GL: \t\t"
              "superquadrics --root\t\\n\\\n\t\t\t\torveline --root\t\t\t    \\n\n\n");
}

}  // namespace
}  // namespace orveline
