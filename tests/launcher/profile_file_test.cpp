#include "profile_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace orveline {
namespace {

std::string read(const std::string& bytes, const char* section, const char* key,
                 std::uint32_t size = 256, const char* fallback = "") {
    std::string buffer(size, '*');
    const std::uint32_t n =
        ProfileGetStringFromBytes(bytes, true, section, key, fallback, buffer.data(), size);
    const std::string value(buffer.c_str());
    EXPECT_EQ(n, value.size());
    return value;
}

TEST(ProfileRead, FindsValuesTheWayTheWindowsCallsDo) {
    const std::string file =
        "head=1\r\n"
        "[Section]\r\n"
        "  Key  =  value with blanks  \r\n"
        "empty=\r\n"
        "dup=first\r\n"
        "dup=second\n"
        "noequals\n"
        "quoted=\"in quotes\"\n"
        "single='x'\n"
        "lone=\"\n"
        "inner=a=b\n"
        "tabs=\tt\t\n"
        "[section]\n"
        "other=second section\n"
        "[Next]\n"
        "k=v";  // no newline at the end
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"Section", "Key", "value with blanks"},
        {"SECTION", "key", "value with blanks"},
        {" Section ", " Key ", "value with blanks"},
        {"Section", "empty", ""},
        {"Section", "dup", "first"},
        {"Section", "noequals", ""},
        {"Section", "quoted", "in quotes"},
        {"Section", "single", "x"},
        {"Section", "lone", "\""},
        {"Section", "inner", "a=b"},
        {"Section", "tabs", "t"},
        {"Section", "other", ""},  // only the first section of a name counts
        {"Next", "k", "v"},
        {"Section", "head", ""},  // lines before the first section belong to none
        {"Missing", "k", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(read(file, c.section, c.key), c.expected) << c.section << "/" << c.key;
    }
}

TEST(ProfileRead, CopiesAtMostTheBufferLengthLessOne) {
    const std::string value(300, 'x');
    const std::string file = "[S]\nk=" + value + "\nq=\"" + std::string(10, 'y') + "\"\n";
    EXPECT_EQ(read(file, "S", "k"), value.substr(0, 255));
    EXPECT_EQ(read(file, "S", "k", 1), "");
    EXPECT_EQ(read(file, "S", "k", 2), "x");
    EXPECT_EQ(read(file, "S", "q", 5), "yyyy");
    EXPECT_EQ(read(file, "S", "q", 12), std::string(10, 'y'));
}

TEST(ProfileRead, DefaultForMissingThingsLosesTrailingSpaces) {
    EXPECT_EQ(read("[S]\nk=v\n", "S", "x", 256, "def  "), "def");
    EXPECT_EQ(read("[S]\nk=v\n", "S", "", 256, "def"), "") << "an empty key gives nothing";
    char buffer[8] = "*******";
    EXPECT_EQ(ProfileGetStringFromBytes("", false, "S", "k", "d", buffer, sizeof buffer), 1u);
    EXPECT_STREQ(buffer, "d");
}

TEST(ProfileRead, DoubleByteCharactersStayWhole) {
    // "[表]": the trail byte of 0x955C is the separator byte, of 0x835D the ']' byte.
    const std::string file = "[\x83\x5D]\nk=1\n[\x95\x5C]\n\x82\x60=2\n";
    EXPECT_EQ(read(file, "\x83\x5D", "k"), "1");
    EXPECT_EQ(read(file, "\x95\x5C", "\x82\x60"), "2");
    // Only ASCII letters match without regard to case: not full-width ones, and not a trail byte
    // that looks like a letter.
    EXPECT_EQ(read(file, "\x95\x5C", "\x82\x81"), "");
    EXPECT_EQ(read("[S]\n\x83\x41=3\n", "S", "\x83\x61"), "");
}

TEST(ProfileRead, BlanksInsideTheBracketsAreNotPartOfTheSectionName) {
    for (const char* header : {"[ Section]", "[  Section  ]", "[\tSection\t]", "[Section ]"}) {
        const std::string file = std::string(header) + "\r\nk=1\r\n";
        EXPECT_EQ(read(file, "Section", "k"), "1") << header;
        EXPECT_EQ(ProfileWriteToBytes(file, "Section", "k", "2"), "[Section]\r\nk=2\r\n")
            << header << ": a rewrite gives the plain header";
    }
    EXPECT_EQ(read("[ Sec tion ]\nk=1\n", "Sec tion", "k"), "1") << "blanks inside the name stay";
    EXPECT_EQ(read("[ Sec tion ]\nk=1\n", "Section", "k"), "");
}

TEST(ProfileWrite, EditsInPlaceKeepingEveryOtherLine) {
    ProfileDocument doc = ProfileDocument::parse("; comment\n[A]\nx=1\n\n[B]\ny=2\n");
    EXPECT_TRUE(doc.set("a", "X", "9"));
    EXPECT_TRUE(doc.set("B", "z", "  3"));
    EXPECT_TRUE(doc.set("C", "w", "4"));
    EXPECT_FALSE(doc.set("C", "w", "4")) << "the same value is no change";
    EXPECT_EQ(doc.serialize(), "; comment\r\n[A]\r\nx=9\r\n[B]\r\ny=2\r\nz=3\r\n[C]\r\nw=4\r\n");
}

TEST(ProfileParse, LinesEndAtEitherLineEndAndTextsAtNul) {
    const std::string file = std::string("[S]\rk=1\rrest\nv=a\0b\n", 19);
    EXPECT_EQ(read(file, "S", "k"), "1");
    EXPECT_EQ(read(file, "S", "v"), "a");
    EXPECT_EQ(ProfileDocument::parse(file).serialize(), "[S]\r\nk=1\r\nrest\r\nv=a\r\n");
}

TEST(ProfileParse, BytesOutsideTheCodePageAreKept) {
    const std::string file = "[S]\nk=\x81\nj=\x82]\n";
    EXPECT_EQ(read(file, "S", "k"), "\x81");
    EXPECT_EQ(read(file, "S", "j"), "\x82]");
    EXPECT_EQ(ProfileDocument::parse(file).serialize(), "[S]\r\nk=\x81\r\nj=\x82]\r\n");
}

TEST(ProfileWrite, AWrittenValueReadsBackAndASecondWriteChangesNothing) {
    // Junk that once moved the value, both with a NUL inside a name: it cuts a double-byte
    // character in a section header, whose lead byte would pair with the closing ']' when the
    // file is written; it leaves a blank at the end of a key that the rewrite then trims.
    const std::string cutCharacter("[Section]\x9f\0BG]\n\xaa=\xe6\x05\x8b@7", 21);
    const std::string cutAfterBlank("[Section]\r\nk \0\0]", 17);
    for (const std::string& file :
         {cutCharacter, cutAfterBlank, std::string("[Section]\r\nx=1"), std::string()}) {
        const std::optional<std::string> written = ProfileWriteToBytes(file, "Section", "k", "2");
        ASSERT_TRUE(written.has_value());
        char buffer[8];
        ProfileGetStringFromBytes(*written, true, "Section", "k", "", buffer, sizeof buffer);
        EXPECT_STREQ(buffer, "2");
        EXPECT_FALSE(ProfileWriteToBytes(*written, "Section", "k", "2").has_value());
    }
}

TEST(ProfileParse, AnyBytesGiveADocument) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 7919) % 256));
    const ProfileDocument doc = ProfileDocument::parse(junk);
    const std::string again = ProfileDocument::parse(doc.serialize()).serialize();
    EXPECT_EQ(again, doc.serialize()) << "a rewritten file reads back the same";
}

// The platform's write, as a plain one: the bytes written over the file.
bool overwrite(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out.flush());
}

bool ProfileWriteString(const char* section, const char* key, const char* value, const char* file) {
    return orveline::ProfileWriteString(section, key, value, file, overwrite);
}

class ProfileFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("orveline-profile-" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        path_ = (folder_ / "Orveline.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string contents() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void put(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }

    std::filesystem::path folder_;
    std::string path_;
};

TEST_F(ProfileFileTest, WriteCreatesTheFileAndReadFindsIt) {
    char buffer[256];
    EXPECT_EQ(ProfileGetString("S", "k", "", buffer, sizeof buffer, path_.c_str()), 0u);
    EXPECT_FALSE(std::filesystem::exists(path_)) << "reading creates nothing";
    EXPECT_TRUE(ProfileWriteString("S", "k", "v", path_.c_str()));
    EXPECT_EQ(contents(), "[S]\r\nk=v\r\n");
    EXPECT_EQ(ProfileGetString("S", "k", "", buffer, sizeof buffer, path_.c_str()), 1u);
    EXPECT_STREQ(buffer, "v");
}

TEST_F(ProfileFileTest, AWriteThatChangesNothingLeavesTheBytesAlone) {
    put("[S]\nk=v\n");
    EXPECT_TRUE(ProfileWriteString("S", "k", "v", path_.c_str()));
    EXPECT_EQ(contents(), "[S]\nk=v\n");
}

TEST_F(ProfileFileTest, AWriteThatCannotSaveReportsIt) {
    put("[S]\nk=v\n");
    const auto refuse = [](const std::string&, const std::string&) { return false; };
    EXPECT_FALSE(orveline::ProfileWriteString("S", "k", "w", path_.c_str(), refuse));
    EXPECT_TRUE(orveline::ProfileWriteString("S", "k", "v", path_.c_str(), refuse))
        << "nothing to change, nothing to save";
    EXPECT_EQ(contents(), "[S]\nk=v\n");
}

TEST_F(ProfileFileTest, UnwritableOrOddPathsReportFailure) {
    const std::string inMissingFolder = (folder_ / "none" / "x.ini").string();
    EXPECT_FALSE(ProfileWriteString("S", "k", "v", inMissingFolder.c_str()));
    const std::string aFolder = folder_.string();
    EXPECT_FALSE(ProfileWriteString("S", "k", "v", aFolder.c_str()));
    char buffer[16];
    EXPECT_EQ(ProfileGetString("S", "k", "d", buffer, sizeof buffer, aFolder.c_str()), 1u);
    EXPECT_FALSE(ProfileWriteString("S", "k", "v", nullptr));
}

TEST_F(ProfileFileTest, AHugeFileIsNeitherLoadedNorCut) {
    {
        std::ofstream out(path_, std::ios::binary);
        out << "[S]\nk=v\n";
        out.seekp(40 * 1024 * 1024);
        out << "end";
    }
    const auto size = std::filesystem::file_size(path_);
    char buffer[16];
    EXPECT_EQ(ProfileGetString("S", "k", "", buffer, sizeof buffer, path_.c_str()), 0u);
    EXPECT_FALSE(ProfileWriteString("S", "k", "w", path_.c_str()));
    EXPECT_EQ(std::filesystem::file_size(path_), size);
}

}  // namespace
}  // namespace orveline
