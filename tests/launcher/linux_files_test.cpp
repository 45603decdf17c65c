#include "linux_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace orveline {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class LinuxFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    const fs::path dir = fs::temp_directory_path() / ("orveline-files-" + std::to_string(getpid()));
};

TEST_F(LinuxFiles, TheHomeComesFromTheAccountWithoutAnAbsoluteHome) {
    EXPECT_EQ(HomeFolder("/home/u", "/pw"), "/home/u");
    EXPECT_EQ(HomeFolder(nullptr, "/pw"), "/pw");
    EXPECT_EQ(HomeFolder("relative", "/pw"), "/pw");
    EXPECT_EQ(HomeFolder(nullptr, nullptr), "");
}

// Without $XDG_RUNTIME_DIR the run-time folder is a private one: made 0700, and refused when
// someone made it first with other rights or as a link.
TEST_F(LinuxFiles, TheRunTimeFolderIsPrivate) {
    EXPECT_EQ(RuntimeFolder("/run/user/7", dir.string()), "/run/user/7");
    const fs::path own = dir / ("orveline-" + std::to_string(getuid()));
    EXPECT_EQ(RuntimeFolder(nullptr, dir.string()), own.string());
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);
    fs::permissions(own, fs::perms::group_read | fs::perms::others_exec, fs::perm_options::add);
    EXPECT_EQ(RuntimeFolder("", dir.string()), "");
    fs::remove(own);
    fs::create_directory(dir / "elsewhere", dir);
    fs::permissions(dir / "elsewhere", fs::perms::owner_all);
    fs::create_directory_symlink(dir / "elsewhere", own);
    EXPECT_EQ(RuntimeFolder(nullptr, dir.string()), "");
}

TEST_F(LinuxFiles, ARewriteGoesThroughALinkKeepsTheModeAndFollowsNoPlantedFile) {
    const fs::path target = dir / "dotfiles" / "xscreensaver";
    const fs::path link = dir / ".xscreensaver";
    fs::create_directories(target.parent_path());
    std::ofstream(target) << "old";
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("dotfiles/xscreensaver", link);
    // The temporary name a rewrite once used, planted as a link to a file of someone else's.
    std::ofstream(dir / "victim") << "victim";
    fs::create_symlink(dir / "victim", target.string() + ".orveline-new");

    std::string error;
    ASSERT_TRUE(ReplaceFileContents(link.string(), "new", error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
    EXPECT_EQ(contents(dir / "victim"), "victim");
    EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), {}), 2);
}

TEST_F(LinuxFiles, AReadOnlyFileIsLeftAloneWithAClearMessage) {
    const fs::path file = dir / ".xscreensaver";
    std::ofstream(file) << "mine";
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    std::string error;
    EXPECT_FALSE(ReplaceFileContents(file.string(), "new", error));
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    EXPECT_EQ(contents(file), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
}

// The settings write leaves a read-only file exactly as it was, as the Windows calls do; a
// writable one keeps its mode and group.
TEST_F(LinuxFiles, TheSettingsWriteKeepsAReadOnlyFileAndTheModeAndGroupOfAWritableOne) {
    const fs::path file = dir / "Orveline.ini";
    std::ofstream(file) << "old";
    const gid_t group = getuid() == 0 ? 4 : getgid();  // as root, a group that is not ours
    ASSERT_EQ(chown(file.c_str(), static_cast<uid_t>(-1), group), 0);
    for (const mode_t mode : {0444, 0640}) {
        SCOPED_TRACE(mode);
        chmod(file.c_str(), mode);
        const bool written = SaveSettingsFile(file.string(), "new");
        EXPECT_EQ(written, mode == 0640);
        EXPECT_EQ(contents(file), written ? "new" : "old");
        struct stat info {};
        ASSERT_EQ(stat(file.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_EQ(info.st_gid, group);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1) << "no temporary left";
    }
}

TEST_F(LinuxFiles, ALockIsHeldByOneHolderAtATimeAndFreedWithIt) {
    const std::string path = (dir / "a.lock").string();
    {
        FileLock first(path);
        FileLock second(path);
        EXPECT_TRUE(first.take());
        EXPECT_TRUE(first.take()) << "asked again, still held";
        EXPECT_FALSE(second.take());
    }
    FileLock again(path);
    EXPECT_TRUE(again.take());
    FileLock none((dir / "missing" / "a.lock").string());
    EXPECT_FALSE(none.opened());
    EXPECT_FALSE(none.take());
}

TEST_F(LinuxFiles, EachDisplayHasOneInstanceLockWhateverItsScreen) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(InstanceLockNames(":0.1", nullptr), Names{"orveline-x11-_0.lock"});
    EXPECT_EQ(InstanceLockNames(":0", "wayland-1"),
              (Names{"orveline-x11-_0.lock", "orveline-wayland-wayland-1.lock"}));
    EXPECT_EQ(InstanceLockNames("host.example:10.0", ""),
              Names{"orveline-x11-host.example_10.lock"});
    EXPECT_EQ(InstanceLockNames(nullptr, "/run/user/1/w-0"),
              Names{"orveline-wayland-_run_user_1_w-0.lock"});
    EXPECT_TRUE(InstanceLockNames("", nullptr).empty());
}

}  // namespace
}  // namespace orveline
