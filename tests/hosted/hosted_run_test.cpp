#include "hosted_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orveline {
namespace {

struct CommandCase {
    std::vector<std::string> arguments;
    const char* environment;
    bool hosted;
    bool error;
    bool music;
    std::uint32_t window;
};

TEST(HostedCommand, DaemonCommandLinesAndBadIds) {
    const CommandCase cases[] = {
        {{"--root"}, "0x1a00007", true, false, true, 0x1a00007},
        {{"-root"}, "27262983", true, false, true, 27262983},
        {{"--root"}, nullptr, true, false, true, 0},  // the screen's root window
        {{"--root"}, "", true, false, true, 0},
        {{"--window-id", "0X2E"}, "0x99", true, false, false, 0x2e},
        {{"-window-id", "46"}, nullptr, true, false, false, 46},
        {{"--root"}, "window", true, true, true, 0},
        {{"--window-id"}, nullptr, true, true, false, 0},
        {{"--window-id", "0"}, nullptr, true, true, false, 0},
        {{"--window-id", "0x"}, nullptr, true, true, false, 0},
        {{"--window-id", "12abc"}, nullptr, true, true, false, 0},
        {{"--window-id", "-5"}, nullptr, true, true, false, 0},
        {{"--window-id", "4294967296"}, nullptr, true, true, false, 0},
        {{"--root", "--window-id", "5"}, nullptr, true, true, true, 0},
        {{"/s"}, "0x10", false, false, false, 0},
        {{}, "0x10", false, false, false, 0},
        {{"root"}, nullptr, false, false, false, 0},
    };
    for (const CommandCase& c : cases) {
        const std::string line = c.arguments.empty() ? "(none)" : c.arguments[0];
        const HostedCommand command = ParseHostedCommand(c.arguments, c.environment);
        EXPECT_EQ(command.hosted, c.hosted) << line;
        EXPECT_EQ(!command.error.empty(), c.error) << line << ": " << command.error;
        if (!c.hosted || c.error) continue;
        EXPECT_EQ(command.music, c.music) << line;
        EXPECT_EQ(command.window, c.window) << line;
    }
}

const char kDefaults[] =
    "*mode:\t\trandom\n"
    "*programs:\t\t\t\t\\\n"
    "\t\t\t\tmaze --root\t\t\\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\\n\n"
    "\n"
    "*hacks.maze.name: Maze\n";

TEST(AddToXScreenSaver, AppendsOnceAndKeepsEveryOtherByte) {
    // As the daemon's settings write it: every entry ends in "\n\", an empty line ends the list.
    const std::string written =
        "mode:\t\tone\nselected:\t1\n\nprograms:\t\t\\\n\t\tmaze --root\t\\n\\\n"
        "-\t\tpyro --root\t\\n\\\n\n\npointerHysteresis:  10\n";
    std::string text = written;
    ASSERT_TRUE(AddXScreenSaverProgram(text, "orveline --root", kDefaults));
    EXPECT_EQ(text,
              "mode:\t\tone\nselected:\t1\n\nprograms:\t\t\\\n\t\tmaze --root\t\\n\\\n"
              "-\t\tpyro --root\t\\n\\\n\t\t\t\torveline --root\t\t\t    \\n\\\n\n\n"
              "pointerHysteresis:  10\n");
    const std::string once = text;
    EXPECT_FALSE(AddXScreenSaverProgram(text, "orveline --root", kDefaults));
    EXPECT_EQ(text, once);

    // Named already, disabled or by a path, in a list whose last entry ends the value.
    for (const std::string listed : {"- orveline   --root", "GL: /usr/bin/orveline --root\\n"}) {
        text = "programs: maze --root \\n\\\n " + listed + "\ntimeout: 0:10:00\n";
        const std::string before = text;
        EXPECT_FALSE(AddXScreenSaverProgram(text, "orveline --root", kDefaults)) << listed;
        EXPECT_EQ(text, before);
    }
    // A last entry without its "\n" gets one, so the two do not run together.
    text = "programs: maze --root";
    ASSERT_TRUE(AddXScreenSaverProgram(text, "orveline --root", kDefaults));
    EXPECT_EQ(text, "programs: maze --root\\\n\\n\t\t\t\torveline --root\t\t\t    \\n\n");
}

TEST(AddToXScreenSaver, AFileWithoutAListStartsFromTheSystemDefaults) {
    for (const std::string& start : {std::string(), std::string("timeout: 0:05:00")}) {
        std::string text = start;
        ASSERT_TRUE(AddXScreenSaverProgram(text, "orveline --root", kDefaults));
        EXPECT_EQ(text.find(start), 0u);
        EXPECT_NE(text.find("\nprograms:\t\t\t\t\\\n\t\t\t\tmaze --root\t\t\\n\\\n"
                            "- GL: \t\t\t\tsuperquadrics --root\t\\n\\\n"
                            "\t\t\t\torveline --root\t\t\t    \\n\n\n"),
                  std::string::npos)
            << text;
        EXPECT_EQ(text.find("*"), std::string::npos);
    }
}

}  // namespace
}  // namespace orveline
