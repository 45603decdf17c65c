#include <gtest/gtest.h>

#include "fake_launcher_platform.h"
#include "hosted_command.h"
#include "xscreensaver_list.h"

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

TEST(HostedMain, RunsMainsStepsWithTheHostedPlacement) {
    const RunPlacement placement = HostedPlacement(0x2a, true);
    EXPECT_EQ(placement.formTitle, "Veyra_Hosted");
    EXPECT_EQ(placement.rendererArguments, (std::vector<std::string>{"--window-id", "0x2a"}));
    EXPECT_EQ(placement.music, RunPlacement::Music::WhileLockHeld);
    EXPECT_EQ(HostedPlacement(7, false).music, RunPlacement::Music::Never);

    test::FakeLauncherPlatform platform;
    LauncherState state;
    platform.windows = {"Veyra_Main", "Veyra_Hosted"};  // a full-screen run, another copy
    platform.files["/opt/orveline/Orveline.dll"] = "";
    EXPECT_EQ(HostedMain(platform, state, placement), HostedStart::Running);
    EXPECT_EQ(platform.steps(), (std::vector<std::string>{"find <Orveline>", "runForm"}));
    EXPECT_TRUE(platform.readSettings());
    EXPECT_EQ(platform.runForms.at(0).host, 0x2au);

    platform.windows = {"<Orveline>"};
    EXPECT_EQ(HostedMain(platform, state, placement), HostedStart::SettingsDialogOpen);
    platform.windows.clear();
    platform.files.clear();
    EXPECT_EQ(HostedMain(platform, state, placement), HostedStart::RendererMissing);
    EXPECT_EQ(platform.runForms.size(), 1u);
}

const char kDefaults[] =
    "*programs:\t\\\n\t\tmaze --root\t\\n\\\n- GL: \t\tsuperquadrics --root\t\\n\n\n"
    "*hacks.maze.name: Maze\n";
const std::string kOurs = "\t\t\t\torveline --root\t\t\t    \\n";

// Each file as users and the daemon write them: what adding Orveline makes of it (nothing where
// an Orveline entry is there, enabled or not); a second run never adds it again.
TEST(AddToXScreenSaver, AwkwardFiles) {
    const struct {
        const char* name;
        std::string before;
        std::string after;  // empty: left as it was
    } cases[] = {
        {"the daemon's layout", "selected:\t1\nprograms:\t\\\n\tmaze --root\t\\n\\\n\nfade: 0\n",
         "selected:\t1\nprograms:\t\\\n\tmaze --root\t\\n\\\n" + kOurs + "\\\n\nfade: 0\n"},
        {"list last, ends continued", "programs:\t\\\n\tmaze --root\t\\n\\\n",
         "programs:\t\\\n\tmaze --root\t\\n\\\n" + kOurs + "\n"},
        {"list last, continued, no newline", "programs:\t\\\n\tmaze --root\t\\n\\",
         "programs:\t\\\n\tmaze --root\t\\n\\\n" + kOurs + "\n"},
        {"last entry without \\n", "programs: maze --root",
         "programs: maze --root\\\n\\n" + kOurs + "\n"},
        {"CRLF", "programs:\t\\\r\n\tmaze\t\\n\\\r\n\r\nfade: 0\r\n",
         "programs:\t\\\r\n\tmaze\t\\n\\\r\n" + kOurs + "\\\r\n\r\nfade: 0\r\n"},
        {"CRLF, list last", "programs:\t\\\r\n\tmaze\t\\n\\\r\n",
         "programs:\t\\\r\n\tmaze\t\\n\\\r\n" + kOurs + "\r\n"},
        {"another program's name", "programs: orveline-x --root\n",
         "programs: orveline-x --root\\\n\\n" + kOurs + "\n"},
        {"no list yet", "timeout: 0:05:00\n",
         "timeout: 0:05:00\n\nprograms:\t\\\n\t\tmaze --root\t\\n\\\n- GL: \t\t"
         "superquadrics --root\t\\n\\\n" +
             kOurs + "\n\n"},
        {"by a path, with a visual", "programs: maze \\n\\\n - GL: /usr/bin/orveline  --root\n",
         ""},
        {"one dash", "programs: orveline -root\n", ""},
        {"a name in quotes", "programs: \"Orveline: a\" orveline --root\n", ""},
        {"disabled", "programs: maze \\n\\\n-\t\torveline -root \\n\\\n\n", ""},
        {"the launcher itself", "programs: - GL: \"O\" /usr/lib/orveline/Orveline.scr -root\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = c.before;
        EXPECT_EQ(AddToXScreenSaverList(text, kDefaults), !c.after.empty());
        EXPECT_EQ(text, c.after.empty() ? c.before : c.after);
        const std::string once = text;
        EXPECT_FALSE(AddToXScreenSaverList(text, kDefaults));
        EXPECT_EQ(text, once);
    }
}

TEST(XScreenSaverList, DefaultsLookedUpAlongTheToolkitsSearchPath) {
    using Paths = std::vector<std::string>;
    EXPECT_EQ(XScreenSaverDefaultsPaths(nullptr).at(1), "/usr/share/X11/app-defaults/XScreenSaver");
    EXPECT_EQ(XScreenSaverDefaultsPaths(""), XScreenSaverDefaultsPaths(nullptr));
    EXPECT_EQ(XScreenSaverDefaultsPaths("/etc/X11/%L/%T/%N%C%S::/a%:b/%l_%t.%c/%N%%:/x/%Q"),
              (Paths{"/etc/X11//app-defaults/XScreenSaver", "/a:b/_./XScreenSaver%", "/x/%Q"}));
}

}  // namespace
}  // namespace orveline
