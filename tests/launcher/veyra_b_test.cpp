#include "veyra_b.h"

#include <gtest/gtest.h>

#include "fake_launcher_platform.h"
#include "launcher_state.h"

namespace orveline {
namespace {

using test::FakeLauncherPlatform;
using test::ProcessEnded;

const char kRenderer[] = "/opt/orveline/Orveline.dll";
const char kSettings[] = "/opt/orveline/Orveline.ini";
const char kMissingText[] = "Orveline.dll が Orveline.scr と同じﾌｫﾙﾀﾞに見つかりません！";

// Runs Main; true when it ended the process.
bool runMain(FakeLauncherPlatform& platform, LauncherState& state) {
    try {
        Main(platform, state);
        return false;
    } catch (const ProcessEnded&) {
        return true;
    }
}

std::string settingsFile(const std::string& kind, const std::string& repeat,
                         const std::string& file) {
    return std::string("[Section]\r\n") + kKeyBgmKind + "=" + kind + "\r\n" + kKeyBgmRepeat + "=" +
           repeat + "\r\n" + kKeyBgmFile + "=" + file + "\r\n";
}

struct PathCase {
    const char* commandLine;
    bool renderer;
    std::vector<std::string> steps;
    bool ends;
};

const std::vector<std::string> kLookups = {"find Veyra_Main", "find <Orveline>", "commandLine"};

std::vector<std::string> withLookups(std::vector<std::string> rest) {
    std::vector<std::string> all = kLookups;
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
}

TEST(Main, FollowsThePathOfEachCommandLine) {
    // The copies that will show a run form or the dialog take the single-instance lock.
    const auto locked = [](std::vector<std::string> rest) {
        rest.insert(rest.begin(), "instanceLock");
        return withLookups(rest);
    };
    const std::vector<PathCase> cases = {
        // full-screen run: cursor hidden, run form loaded, process lives on
        {"/s", true, locked({"showCursor 0", "runForm"}), false},
        {"/S", true, locked({"showCursor 0", "runForm"}), false},
        {"-s", true, locked({"showCursor 0", "runForm"}), false},
        {"xs", true, locked({"showCursor 0", "runForm"}), false},
        // empty command line: a run with the cursor left alone
        {"", true, locked({"runForm"}), false},
        // settings dialog, then the end
        {"/c", true, locked({"dialog", "end"}), true},
        {"/C:1234", true, locked({"dialog", "end"}), true},
        {"-c", true, locked({"dialog", "end"}), true},
        // preview: no settings, no renderer test
        {"/p 1234", false, withLookups({"preview 1234"}), false},
        {"/p:1234", false, withLookups({"preview 1234"}), false},
        {"/p1234", false, withLookups({"preview 234"}), false},
        {"/P", false, withLookups({"preview 0"}), false},
        // other letters end silently after the renderer test
        {"/a 1234", true, withLookups({"end"}), true},
        {"/", true, withLookups({"end"}), true},
        {"s", true, withLookups({"end"}), true},
        // a missing renderer shows the one message first, whatever the letter
        {"/a 1234", false, withLookups({"message", "end"}), true},
        {"/s", false, locked({"message", "end"}), true},
        {"/c", false, locked({"message", "end"}), true},
        {"", false, locked({"message", "end"}), true},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(std::string("command line '") + c.commandLine + "', renderer " +
                     (c.renderer ? "present" : "missing"));
        FakeLauncherPlatform platform;
        platform.command = c.commandLine;
        if (c.renderer) platform.files[kRenderer] = "";
        LauncherState state;
        EXPECT_EQ(runMain(platform, state), c.ends);
        EXPECT_EQ(platform.steps(), c.steps);
        const bool preview = c.steps.back().rfind("preview", 0) == 0;
        EXPECT_EQ(platform.readSettings(), !preview) << "settings are read for every mode but P";
    }
}

TEST(Main, RendererMissingShowsTheMessageOnceInTheUsersLanguage) {
    for (const Language language : {Language::Japanese, Language::English}) {
        FakeLauncherPlatform platform;
        platform.command = "/s";
        platform.language = language;
        LauncherState state;
        EXPECT_TRUE(runMain(platform, state));
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0],
                  std::string("Orveline|") + (language == Language::Japanese
                                                  ? kMissingText
                                                  : TextOf(Text::RendererMissing, language)));
        EXPECT_EQ(platform.opened, std::vector<std::string>{kRenderer});
    }
}

TEST(Main, AnotherCopyEndsTheNewOneBeforeAnythingElse) {
    for (const char* title : {"Veyra_Main", "<Orveline>"}) {
        for (const char* command : {"/s", "/c", "/p 1234", ""}) {
            SCOPED_TRACE(std::string(title) + " with " + command);
            FakeLauncherPlatform platform;
            platform.command = command;
            platform.files[kRenderer] = "";
            platform.windows = {title};
            LauncherState state;
            EXPECT_TRUE(runMain(platform, state));
            // both look-ups are made, then the end; the command line is never read
            EXPECT_EQ(platform.calls,
                      (std::vector<std::string>{"find Veyra_Main", "find <Orveline>", "end"}));
        }
    }
}

TEST(Main, ACopyThatFindsTheInstanceLockTakenEndsBeforeReadingTheSettings) {
    for (const char* command : {"/s", "/c", ""}) {
        SCOPED_TRACE(command);
        FakeLauncherPlatform platform;
        platform.command = command;
        platform.files[kRenderer] = "";
        platform.instanceLockFree = false;
        LauncherState state;
        EXPECT_TRUE(runMain(platform, state));
        EXPECT_EQ(platform.calls, withLookups({"instanceLock", "end"}));
    }
}

TEST(Main, ARunningPreviewDoesNotBlock) {
    FakeLauncherPlatform platform;
    platform.command = "/s";
    platform.files[kRenderer] = "";
    platform.windows = {"Preview Window", "OrvelineVC"};
    LauncherState state;
    EXPECT_FALSE(runMain(platform, state));
    EXPECT_EQ(platform.steps().back(), "runForm");
}

TEST(Main, KeepsTheCursorCountThatTheHideCallReturned) {
    FakeLauncherPlatform platform;
    platform.command = "/s";
    platform.files[kRenderer] = "";
    platform.cursorCount = 0;
    LauncherState state;
    runMain(platform, state);
    ASSERT_TRUE(state.CursorCount.has_value());
    EXPECT_EQ(*state.CursorCount, -1);

    FakeLauncherPlatform emptyLine;
    emptyLine.files[kRenderer] = "";
    LauncherState untouched;
    runMain(emptyLine, untouched);
    EXPECT_FALSE(untouched.CursorCount.has_value());
}

TEST(Main, AFailingStepIsSkippedAndTheNextRuns) {
    // No command line: the letter stays empty, which is a run with the cursor visible.
    FakeLauncherPlatform platform;
    platform.commandLineFails = true;
    platform.files[kRenderer] = "";
    LauncherState state;
    EXPECT_FALSE(runMain(platform, state));
    EXPECT_EQ(platform.steps().back(), "runForm");

    // Settings that cannot be read leave the record as it was; the run still starts.
    FakeLauncherPlatform unreadable;
    unreadable.command = "/s";
    unreadable.readFails = true;
    unreadable.files[kRenderer] = "";
    LauncherState kept;
    kept.BgmKind = 1;
    EXPECT_FALSE(runMain(unreadable, kept));
    EXPECT_EQ(kept.BgmKind, 1);
    EXPECT_EQ(unreadable.steps().back(), "runForm");
}

TEST(Main, LoadsTheSettingsBeforeTheDialogOpens) {
    FakeLauncherPlatform platform;
    platform.command = "/c";
    platform.files[kRenderer] = "";
    platform.files["/music/a.mp3"] = "";
    platform.files[kSettings] = settingsFile("2", "3", "/music/a.mp3");
    LauncherState state;
    runMain(platform, state);
    EXPECT_EQ(state.BgmKind, 2);
    EXPECT_EQ(state.BgmRepeat, 3);
    EXPECT_EQ(state.BgmFile, "/music/a.mp3");
}

TEST(CommandLine, ModeLetterIsTheSecondCharacterUpperCased) {
    EXPECT_EQ(ModeLetter(""), "");
    EXPECT_EQ(ModeLetter("/"), "");
    EXPECT_EQ(ModeLetter("/s"), "S");
    EXPECT_EQ(ModeLetter("xp 12"), "P");
    EXPECT_EQ(ModeLetter("/1"), "1");
    EXPECT_EQ(ModeLetter(std::string("\0c", 2)), "C");
}

TEST(CommandLine, PreviewHandleIsReadFromTheFourthCharacter) {
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"/p 1234", 1234},
        {"/p:1234", 1234},
        {"/p1234", 234},
        {"/p", 0},
        {"/p ", 0},
        {"/p abc", 0},
        {"/p 12 34", 1234},  // blanks inside are ignored
        {"/p \t 77", 77},
        {"/p 99x5", 99},  // reading stops at the first character that cannot go on
        {"/p -5", -5},
        {"/p 2147483647", 2147483647},
        {"/p -2147483648", -2147483647 - 1},
        {"/p 2147483648", 0},  // beyond 32 bits
        {"/p 99999999999999999999", 0},
        {"/p 1e999", 0},
        {"/p 2.5", 2},  // halves to the even neighbour
        {"/p 3.5", 4},
        {"/p &H10", 16},
        {"/p &HFFFF", -1},
        {"/p 1e3", 1000},
    };
    for (const auto& [line, handle] : cases) {
        EXPECT_EQ(PreviewHostHandle(line), handle) << "'" << line << "'";
    }
}

TEST(CommandLine, AnyTextGivesAnAnswer) {
    std::string huge(100000, '9');
    EXPECT_EQ(PreviewHostHandle("/p " + huge), 0);
    std::string junk;
    for (int i = 0; i < 256; ++i) junk.push_back(static_cast<char>(i));
    EXPECT_EQ(ModeLetter(junk), std::string(1, '\x01'));
    EXPECT_EQ(PreviewHostHandle(junk), 0);
}

struct LoadCase {
    const char* name;
    std::string file;  // settings file bytes; empty for none
    bool musicFileExists;
    std::int16_t kind, repeat;
    std::string bgmFile;
};

TEST(LoadSettings, FollowsTheNumberAndFileRules) {
    const std::string music = "/music/a.mp3";
    const std::vector<LoadCase> cases = {
        {"no settings file", "", false, 0, 0, ""},
        {"file source with its file", settingsFile("2", "0", music), true, 2, 0, music},
        {"file source whose file is gone", settingsFile("2", "0", music), false, 0, 0, ""},
        {"file source without a path", settingsFile("2", "0", ""), false, 0, 0, ""},
        {"CD source, no disc test", settingsFile("1", "5", ""), false, 1, 5, ""},
        {"CD source keeps an existing path", settingsFile("1", "0", music), true, 1, 0, music},
        {"CD source drops a missing path", settingsFile("1", "0", music), false, 1, 0, ""},
        {"fraction rounds down", settingsFile("2.9", "1.5", music), true, 2, 1, music},
        {"negative fraction rounds down", settingsFile("-0.5", "-2.5", ""), false, -1, -3, ""},
        {"not a number leaves 0", settingsFile("abc", "1x", ""), false, 0, 0, ""},
        {"too large leaves 0", settingsFile("32768", "99999", ""), false, 0, 0, ""},
        {"largest and smallest", settingsFile("32767", "-32768", ""), false, 32767, -32768, ""},
        {"other kinds kept", settingsFile("7", "0", music), true, 7, 0, music},
        {"kind 7 without its file stays 7", settingsFile("7", "0", music), false, 7, 0, ""},
        {"blanks around numbers", settingsFile(" 2 ", "\t4", music), true, 2, 4, music},
        {"hexadecimal text", settingsFile("&H1", "&HA", ""), false, 1, 10, ""},
        {"exponent", settingsFile("2E0", "1D1", music), true, 2, 10, music},
        {"empty values", settingsFile("", "", ""), false, 0, 0, ""},
        {"keys in another case", "[SECTION]\nbgm\x8B\xE6\x95\xAA=1\n", false, 1, 0, ""},
        {"no section line", std::string(kKeyBgmKind) + "=1\n", false, 0, 0, ""},
        {"binary junk", std::string("\x00\xFF[\x81]\n=\n\x1A", 10), false, 0, 0, ""},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeLauncherPlatform platform;
        if (!c.file.empty()) platform.files[kSettings] = c.file;
        if (c.musicFileExists) platform.files[music] = "";
        LauncherState state;
        LoadSettings(platform, state);
        EXPECT_EQ(state.BgmKind, c.kind);
        EXPECT_EQ(state.BgmRepeat, c.repeat);
        EXPECT_EQ(state.BgmFile, c.bgmFile);
        EXPECT_TRUE(platform.writes.empty()) << "reading creates nothing";
        EXPECT_EQ(platform.files.count(kSettings), c.file.empty() ? 0u : 1u);
    }
}

TEST(LoadSettings, NumbersThatAreNotNumbersLeaveTheValueAsItWas) {
    FakeLauncherPlatform platform;
    platform.files[kSettings] = settingsFile("abc", "40000", "");
    LauncherState state;
    state.BgmKind = 1;
    state.BgmRepeat = 9;
    LoadSettings(platform, state);
    EXPECT_EQ(state.BgmKind, 1);
    EXPECT_EQ(state.BgmRepeat, 9);
}

TEST(FileExists, TestsAFileThatCanBeOpenedForReading) {
    FakeLauncherPlatform platform;
    platform.files["/music/a.mp3"] = "";
    EXPECT_TRUE(FileExists(platform, "/music/a.mp3"));
    EXPECT_TRUE(FileExists(platform, "/music/a.mp3/")) << "one trailing separator is dropped";
    EXPECT_FALSE(FileExists(platform, "/music/a.mp3//"));
    EXPECT_FALSE(FileExists(platform, "/music/b.mp3"));
    EXPECT_FALSE(FileExists(platform, ""));
    EXPECT_FALSE(FileExists(platform, "/"));
    EXPECT_EQ(platform.opened, (std::vector<std::string>{"/music/a.mp3", "/music/a.mp3",
                                                         "/music/a.mp3/", "/music/b.mp3"}));
}

TEST(FileExists, ASeparatorByteInsideADoubleByteCharacterIsKept) {
    FakeLauncherPlatform platform;
    platform.separator = '\\';
    platform.cp932 = true;
    const std::string so = "C:\\\x83\x5C";  // "C:\ソ": its second byte is the separator's byte
    platform.files[so] = "";
    EXPECT_TRUE(FileExists(platform, so));
    platform.files["C:\\a"] = "";
    EXPECT_TRUE(FileExists(platform, "C:\\a\\"));
}

TEST(SettingsPaths, JoinFolderAndNameWithTheSeparator) {
    FakeLauncherPlatform platform;
    EXPECT_EQ(SettingsFilePath(platform), kSettings);
    EXPECT_EQ(RendererPath(platform), kRenderer);
    platform.folder = "C:\\";
    platform.separator = '\\';
    EXPECT_EQ(RendererPath(platform), "C:\\\\Orveline.dll") << "a root gives a doubled separator";
    platform.folder = "";
    EXPECT_EQ(SettingsFilePath(platform), "")
        << "no settings folder, no file (not one at the root)";
}

TEST(ReadIni, GivesAtMost255BytesAndEmptyForAnythingMissing) {
    FakeLauncherPlatform platform;
    const std::string longValue(300, 'v');
    platform.files["/f.ini"] = "[S]\nlong=" + longValue + "\nk=value\n";
    EXPECT_EQ(ReadIni(platform, "S", "long", "/f.ini"), longValue.substr(0, 255));
    EXPECT_EQ(ReadIni(platform, "S", "k", "/f.ini"), "value");
    EXPECT_EQ(ReadIni(platform, "S", "missing", "/f.ini"), "");
    EXPECT_EQ(ReadIni(platform, "T", "k", "/f.ini"), "");
    EXPECT_EQ(ReadIni(platform, "S", "k", "/none.ini"), "");
}

TEST(WriteIni, WritesTheThreeKeysInTheDialogsLayout) {
    FakeLauncherPlatform platform;
    const std::string file = SettingsFilePath(platform);
    EXPECT_TRUE(WriteIni(platform, kSettingsSection, kKeyBgmKind, "2", file));
    EXPECT_TRUE(WriteIni(platform, kSettingsSection, kKeyBgmRepeat, "0", file));
    EXPECT_TRUE(WriteIni(platform, kSettingsSection, kKeyBgmFile, "C:\\Music\\a.mp3", file));
    EXPECT_EQ(platform.files[file],
              std::string("[Section]\r\nBGM\x8B\xE6\x95\xAA=2\r\nBGM\xD8\xCB\xDF\xB0\xC4=0\r\n"
                          "BGM\xCC\xA7\xB2\xD9=C:\\Music\\a.mp3\r\n"));
}

TEST(WriteIni, CutsSectionAndKeyAt128BytesAndReportsTheFlag) {
    FakeLauncherPlatform platform;
    const std::string longKey(200, 'k');
    WriteIni(platform, "Section", longKey, "v", "/f.ini");
    ASSERT_EQ(platform.writes.size(), 1u);
    EXPECT_EQ(platform.writes[0].key, longKey.substr(0, 128));
    EXPECT_EQ(platform.writes[0].section, "Section");

    platform.writable = false;
    EXPECT_FALSE(WriteIni(platform, "Section", "k", "v", "/f.ini")) << "a failed save is told";
}

TEST(SettingsNumber, IntegerPartWithinSixteenBits) {
    const std::vector<std::pair<std::string, std::optional<std::int16_t>>> cases = {
        {"0", 0},
        {"2.9", 2},
        {"-0.5", -1},
        {"32767.9", 32767},
        {"32768", {}},
        {"-32768", -32768},
        {"-32768.5", {}},
        {"abc", {}},
        {"", {}},
        {"1 2", {}},
        {"+3", 3},
        {".5", 0},
        {"5.", 5},
        {"1e400", {}},
        {"1e-400", 0},
        {"&HFFFF", -1},
        {"&O17", 15},
        {"&H", {}},
        {"--1", {}},
        {"1e", {}},
        {"nan", {}},
        {"inf", {}},
        {std::string(500, '1'), {}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(SettingsNumber(text), expected) << "'" << text << "'";
    }
}

}  // namespace
}  // namespace orveline
