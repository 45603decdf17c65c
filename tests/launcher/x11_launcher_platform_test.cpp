#include "x11_launcher_platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "launcher_state.h"
#include "veyra_b.h"

namespace orveline {
namespace {

TEST(LinuxSettingsFolder, FollowsTheXdgConfigurationHomeThenTheHome) {
    EXPECT_EQ(LinuxSettingsFolder("/cfg", "/home/u", "/pw"), "/cfg/orveline");
    EXPECT_EQ(LinuxSettingsFolder(nullptr, "/home/u", "/pw"), "/home/u/.config/orveline");
    EXPECT_EQ(LinuxSettingsFolder("", "/home/u", "/pw"), "/home/u/.config/orveline");
    EXPECT_EQ(LinuxSettingsFolder("relative/cfg", "/home/u", "/pw"), "/home/u/.config/orveline")
        << "a relative value is ignored";
    EXPECT_EQ(LinuxSettingsFolder(nullptr, nullptr, "/pw"), "/pw/.config/orveline")
        << "without HOME, the account's home";
    EXPECT_EQ(LinuxSettingsFolder(nullptr, "", "/pw"), "/pw/.config/orveline");
    EXPECT_EQ(LinuxSettingsFolder(nullptr, nullptr, nullptr), "") << "no folder at all";
    EXPECT_EQ(LinuxSettingsFolder(nullptr, "", ""), "");
}

TEST(LinuxLauncherPlatform, WithoutASettingsFolderNothingIsSaved) {
    // No folder gives no file: the write fails (the dialog reports it) and creates nothing.
    const auto cwd = std::filesystem::current_path();
    const auto here = std::filesystem::temp_directory_path() / "orveline-nohome-test";
    std::filesystem::remove_all(here);
    std::filesystem::create_directories(here);
    std::filesystem::current_path(here);
    LinuxLauncherPlatform platform({});
    EXPECT_FALSE(platform.writePrivateProfileString("Section", "k", "v", ""));
    EXPECT_TRUE(std::filesystem::is_empty(here));
    std::filesystem::current_path(cwd);
    std::filesystem::remove_all(here);
}

TEST(LinuxLauncherPlatform, JoinsTheArgumentsIntoTheCommandLine) {
    EXPECT_EQ(LinuxLauncherPlatform({"/p", "1234"}).commandLine(), "/p 1234");
    EXPECT_EQ(LinuxLauncherPlatform({}).commandLine(), "");
}

TEST(LinuxLauncherPlatform, SpeaksTheLanguageOfTheEnvironment) {
    const char* names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names) {
        const char* value = std::getenv(name);
        saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        unsetenv(name);
    }
    LinuxLauncherPlatform platform({});
    setenv("LANG", "ja_JP.UTF-8", 1);
    EXPECT_EQ(platform.userLanguage(), Language::Japanese);
    setenv("LC_MESSAGES", "C.UTF-8", 1);
    EXPECT_EQ(platform.userLanguage(), Language::English);
    setenv("LANGUAGE", "ja", 1);
    EXPECT_EQ(platform.userLanguage(), Language::Japanese);
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i])
            setenv(names[i], saved[i]->c_str(), 1);
        else
            unsetenv(names[i]);
    }
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

// A music path of 254 bytes of UTF-8 comes back whole and names its file; 255 and 300 do not
// come back as they were saved, which is why the dialog refuses them.
TEST(LinuxLauncherPlatform, MusicPathsUpTo254BytesReadBackWhole) {
    const auto root = std::filesystem::temp_directory_path() / "orveline-long-path-test";
    std::filesystem::remove_all(root);
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    LinuxLauncherPlatform platform({});
    for (const std::size_t bytes : {254u, 255u, 300u}) {
        SCOPED_TRACE(bytes);
        // Folders of three-byte characters, then a name that fills up to the length.
        std::filesystem::path music = root / "音楽";
        std::string folder;
        for (int i = 0; i < 20; ++i) folder += "曲";
        while (music.string().size() + 80 < bytes) music /= folder;
        const std::string name =
            "曲" + std::string(bytes - music.string().size() - 1 - 3 - 4, 'a') + ".mp3";
        const std::filesystem::path file = music / name;
        ASSERT_EQ(file.string().size(), bytes);
        std::filesystem::create_directories(music);
        std::ofstream(file) << "mp3";
        const std::string settings = SettingsFilePath(platform);
        ASSERT_TRUE(WriteIni(platform, kSettingsSection, kKeyBgmKind, "2", settings));
        ASSERT_TRUE(WriteIni(platform, kSettingsSection, kKeyBgmFile, file.string(), settings));
        LauncherState state;
        LoadSettings(platform, state);
        EXPECT_EQ(state.BgmFile, bytes <= 255 ? file.string() : std::string());
        EXPECT_EQ(state.BgmKind, bytes <= 255 ? 2 : 0);
    }
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
