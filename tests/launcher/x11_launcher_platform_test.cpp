#include "x11_launcher_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace orveline {
namespace {

TEST(LinuxSettingsFolder, FollowsTheXdgConfigurationHome) {
    EXPECT_EQ(LinuxSettingsFolder("/cfg", "/home/u"), "/cfg/orveline");
    EXPECT_EQ(LinuxSettingsFolder(nullptr, "/home/u"), "/home/u/.config/orveline");
    EXPECT_EQ(LinuxSettingsFolder("", "/home/u"), "/home/u/.config/orveline");
    EXPECT_EQ(LinuxSettingsFolder("relative/cfg", "/home/u"), "/home/u/.config/orveline")
        << "a relative value is ignored";
}

TEST(LinuxLauncherPlatform, JoinsTheArgumentsIntoTheCommandLine) {
    EXPECT_EQ(LinuxLauncherPlatform({"/p", "1234"}).commandLine(), "/p 1234");
    EXPECT_EQ(LinuxLauncherPlatform({}).commandLine(), "");
}

TEST(LinuxLauncherPlatform, OpensFilesButNotFolders) {
    LinuxLauncherPlatform platform({});
    const auto folder = std::filesystem::temp_directory_path() / "orveline-open-test dir ü";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Orveline.dll") << "x";
    EXPECT_TRUE(platform.canOpenForReading((folder / "Orveline.dll").string()));
    EXPECT_FALSE(platform.canOpenForReading(folder.string()));
    EXPECT_FALSE(platform.canOpenForReading((folder / "none").string()));
    std::filesystem::remove_all(folder);
}

TEST(LinuxLauncherPlatform, TheFirstSaveMakesTheSettingsFolder) {
    const auto root = std::filesystem::temp_directory_path() / "orveline-xdg-test";
    std::filesystem::remove_all(root);
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    LinuxLauncherPlatform platform({});
    const std::string file = platform.settingsFolder() + "/Orveline.ini";
    EXPECT_TRUE(platform.writePrivateProfileString("Section", "k", "v", file.c_str()));
    EXPECT_TRUE(std::filesystem::is_regular_file(root / "orveline" / "Orveline.ini"));
    std::filesystem::remove_all(root);
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace orveline

namespace orveline {
namespace {

TEST(LinuxLauncherPlatform, ShowCursorKeepsTheDisplayCount) {
    // Any non-zero flag shows, zero hides; the count starts at 0 (visible) and is returned.
    LinuxLauncherPlatform platform({});
    EXPECT_EQ(platform.showCursor(0), -1);
    EXPECT_EQ(platform.showCursor(0), -2);
    EXPECT_EQ(platform.showCursor(-2), -1) << "the run end passes the stored count as the flag";
    EXPECT_EQ(platform.showCursor(1), 0);
    EXPECT_EQ(platform.showCursor(1), 1);
    EXPECT_EQ(platform.showCursor(0), 0);
}

}  // namespace
}  // namespace orveline
