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

}  // namespace
}  // namespace orveline
