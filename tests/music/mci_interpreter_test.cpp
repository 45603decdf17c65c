#include "mci_interpreter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mci_text.h"
#include "veyra_bgm.h"

namespace orveline {
namespace {

// A disc of three tracks of 40 sectors each, whose position the test moves by hand.
struct DiscState {
    bool present = true;
    std::vector<DiscTrack> tracks = {{0, 40, true}, {40, 40, true}, {80, 40, true}};
    bool playing = false;
    std::int32_t position = 0, end = 0;
    std::vector<std::pair<std::int32_t, std::int32_t>> plays;

    // Moves playback on by `sectors`, stopping at the end of the range.
    void advance(std::int32_t sectors) {
        if (!playing) return;
        position += sectors;
        if (position >= end) {
            position = end;
            playing = false;
        }
    }
};

class FakeCd : public CdDrive {
  public:
    explicit FakeCd(DiscState& s) : s_(s) {}
    bool readTracks(std::vector<DiscTrack>& tracks) override {
        if (!s_.present) return false;
        tracks = s_.tracks;
        return true;
    }
    bool play(std::int32_t from, std::int32_t to) override {
        s_.plays.push_back({from, to});
        s_.position = from;
        s_.end = to;
        s_.playing = true;
        return true;
    }
    void stop() override { s_.playing = false; }
    bool playing() override { return s_.playing; }
    std::int32_t position() override { return s_.position; }

  private:
    DiscState& s_;
};

class FakeMusic : public MusicFile {
  public:
    explicit FakeMusic(std::vector<std::int64_t>& plays) : plays_(plays) {}
    bool play(std::int64_t fromMs) override {
        plays_.push_back(fromMs);
        playing_ = true;
        return true;
    }
    void stop() override { playing_ = false; }
    bool playing() override { return playing_; }

  private:
    std::vector<std::int64_t>& plays_;
    bool playing_ = false;
};

struct BackendState {
    bool hasDrive = true;
    DiscState disc;
    std::vector<std::string> openedFiles;
    std::vector<std::int64_t> musicPlays;
};

class FakeBackend : public MediaBackend {
  public:
    explicit FakeBackend(BackendState& s) : s_(s) {}
    std::unique_ptr<CdDrive> openCdDrive(std::uint32_t& error) override {
        if (!s_.hasDrive) {
            error = mci::kCannotLoadDriver;
            return nullptr;
        }
        return std::make_unique<FakeCd>(s_.disc);
    }
    std::unique_ptr<MusicFile> openMusicFile(const std::string& path,
                                             std::uint32_t& error) override {
        if (path.find("missing") != std::string::npos) {
            error = mci::kFileNotFound;
            return nullptr;
        }
        s_.openedFiles.push_back(path);
        return std::make_unique<FakeMusic>(s_.musicPlays);
    }
    bool playSound(const char*, std::uint32_t) override { return true; }
    std::uint32_t waveOutputDeviceCount() override { return 1; }

  private:
    BackendState& s_;
};

struct Interpreter {
    BackendState state;
    MciInterpreter mci{std::make_unique<FakeBackend>(state)};

    // Sends `command`; returns the code, and the reply in `reply`.
    std::uint32_t send(const std::string& command, std::string* reply = nullptr) {
        char buffer[512];
        const std::uint32_t code = mci.sendCommand(command.c_str(), buffer, sizeof buffer);
        if (reply) *reply = buffer;
        return code;
    }
    std::string reply(const std::string& command) {
        std::string text;
        const std::uint32_t code = send(command, &text);
        return code == 0 ? text : "error " + std::to_string(code);
    }
};

TEST(MediaCommands, ErrorTextsAreTheInterfacesOwn) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {263, "The specified device is not open or is not recognized by MCI."},
        {266, "There is an undetectable problem in loading the specified device driver."},
        {267, "No command was specified."},
        {270, "The specified integer is invalid for this command."},
        {275, "Cannot find the specified file. Make sure the path and filename are correct."},
        {276, "The device driver is not ready."},
        {277, "A problem occurred in initializing MCI. Try restarting Windows."},
        {281, "Cannot determine the device type from the given filename extension."},
        {282, "The specified parameter is out of range for the specified command."},
        {289, "The specified alias is already being used in this application. Use a unique alias."},
        {294,
         "A closing double-quotation mark is missing from the parameter value. Please supply "
         "one."},
        {296,
         "The specified file cannot be played on the specified MCI device. The file may be "
         "corrupt, or not in the correct format."},
    };
    Interpreter in;
    for (const auto& [code, text] : cases) {
        char buffer[256];
        ASSERT_TRUE(in.mci.errorText(code, buffer, sizeof buffer)) << code;
        EXPECT_STREQ(buffer, text);
    }
    char small[8];
    ASSERT_TRUE(in.mci.errorText(267, small, sizeof small));
    EXPECT_STREQ(small, "No comm");
    char unused[256];
    EXPECT_FALSE(in.mci.errorText(0, unused, sizeof unused));
    EXPECT_FALSE(in.mci.errorText(999, unused, sizeof unused));
}

TEST(MediaCommands, CommandTextsThatCannotBeRun) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"", 267},
        {"   ", 267},
        {"frob cdaudio", 261},
        {"play", 292},
        {"status MP3Play mode", 263},
        {"close MP3Play", 263},
        {"open \"/music/a.mp3 type MPEGVideo", 294},
        {"open \"/music/a.mp3\"x type MPEGVideo", 305},
        {"open /music/a.ogg", 281},
        {"open song", 263},
        {"open \"/music/a.mp3\" type sequencer", 263},
        {"open \"/music/missing.mp3\" type MPEGVideo Alias MP3Play", 275},
        {"open \"/music/a.mp3\" type MPEGVideo Alias", 273},
        {"open \"/music/a.mp3\" type MPEGVideo colour red", 259},
    };
    for (const auto& [command, code] : cases) {
        Interpreter in;
        EXPECT_EQ(in.send(command), code) << command;
    }
}

TEST(MediaCommands, MusicFileUnderAnAlias) {
    Interpreter in;
    EXPECT_EQ(in.send("open \"/my music/曲 1.mp3\" type MPEGVideo Alias MP3Play"), 0u);
    EXPECT_THAT(in.state.openedFiles, ::testing::ElementsAre("/my music/曲 1.mp3"));
    EXPECT_EQ(in.send("open \"/other.mp3\" type MPEGVideo Alias mp3play"), 289u);
    EXPECT_EQ(in.reply("status MP3Play mode"), "stopped");
    EXPECT_EQ(in.send("play MP3Play"), 0u);
    EXPECT_EQ(in.reply("status mp3play mode"), "playing");
    EXPECT_EQ(in.send("stop MP3Play"), 0u);
    EXPECT_EQ(in.reply("status MP3Play mode"), "stopped");
    EXPECT_EQ(in.send("play MP3Play from 0 wait"), 0u);
    EXPECT_EQ(in.send("play MP3Play from soon"), 270u);
    EXPECT_THAT(in.state.musicPlays, ::testing::ElementsAre(-1, 0));
    EXPECT_EQ(in.send("close MP3Play"), 0u);
    EXPECT_EQ(in.send("status MP3Play mode"), 263u);
}

TEST(MediaCommands, AReplyLongerThanItsBufferIsAnOverflow) {
    Interpreter in;
    in.send("open \"/a.mp3\" type MPEGVideo Alias MP3Play");
    char buffer[5] = "xxxx";
    EXPECT_EQ(in.mci.sendCommand("status MP3Play mode", buffer, sizeof buffer), 268u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(in.mci.sendCommand("status MP3Play mode", nullptr, 0), 0u);
}

TEST(MediaCommands, CdStatusReplies) {
    Interpreter in;
    ASSERT_EQ(in.send("open cdaudio"), 0u);
    EXPECT_EQ(in.send("open cdaudio"), 265u);
    EXPECT_EQ(in.reply("status cdaudio position track 2"), "00:02:40");  // msf until told
    ASSERT_EQ(in.send("set cdaudio time format tmsf"), 0u);
    EXPECT_EQ(in.send("set cdaudio time format bars"), 293u);
    const std::pair<const char*, const char*> cases[] = {
        {"status cdaudio number of tracks", "3"},
        {"status cdaudio current track", "1"},
        {"status cdaudio mode", "stopped"},
        {"status cdaudio position track 1", "01:00:00:00"},
        {"status cdaudio position track 3", "03:00:00:00"},
        {"status cdaudio position track 4", "error 282"},
        {"status cdaudio position track 0", "error 282"},
        {"status cdaudio position track -1", "error 282"},
        {"status cdaudio position track two", "error 270"},
        {"status cdaudio length track 2", "00:00:40"},
        {"status cdaudio time format", "tmsf"},
        {"status cdaudio media present", "true"},
        {"status cdaudio colour", "error 259"},
        {"status cdaudio", "error 273"},
    };
    for (const auto& [command, reply] : cases) EXPECT_EQ(in.reply(command), reply) << command;
}

TEST(MediaCommands, CdPlayTakesPositionsInTmsf) {
    Interpreter in;
    in.send("open cdaudio");
    in.send("set cdaudio time format tmsf");
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"play cdaudio from 02:00:00:00", 0},    {"play cdaudio from 2", 0},
        {"play cdaudio from 03:00:00:10", 0},    {"play cdaudio from 01 to 02", 0},
        {"play cdaudio from Error:282", 270},    {"play cdaudio from 4", 282},
        {"play cdaudio from 02:00:00:00x", 270}, {"play cdaudio from", 273},
        {"play cdaudio from 02 to 01", 282},     {"play cdaudio backwards", 259},
    };
    for (const auto& [command, code] : cases) EXPECT_EQ(in.send(command), code) << command;
    using P = std::pair<std::int32_t, std::int32_t>;
    EXPECT_THAT(in.state.disc.plays,
                ::testing::ElementsAre(P{40, 120}, P{40, 120}, P{90, 120}, P{0, 40}));
}

TEST(MediaCommands, CdPlayWithoutAPositionGoesOnOrStartsAgainAfterTheEnd) {
    Interpreter in;
    in.send("open cdaudio");
    in.state.disc.position = 50;
    EXPECT_EQ(in.send("play cdaudio"), 0u);
    in.state.disc.advance(200);
    EXPECT_EQ(in.reply("status cdaudio mode"), "stopped");
    EXPECT_EQ(in.reply("status cdaudio current track"), "3");
    EXPECT_EQ(in.send("play cdaudio"), 0u);
    using P = std::pair<std::int32_t, std::int32_t>;
    EXPECT_THAT(in.state.disc.plays, ::testing::ElementsAre(P{50, 120}, P{0, 120}));
}

TEST(MediaCommands, WithoutDriveOrDiscTheCdQueriesFail) {
    Interpreter noDrive;
    noDrive.state.hasDrive = false;
    EXPECT_EQ(noDrive.send("open cdaudio"), 266u);
    EXPECT_EQ(noDrive.send("status cdaudio current track"), 263u);

    Interpreter noDisc;
    noDisc.state.disc.present = false;
    EXPECT_EQ(noDisc.send("open cdaudio"), 0u);
    EXPECT_EQ(noDisc.reply("status cdaudio current track"), "error 276");
    EXPECT_EQ(noDisc.reply("status cdaudio mode"), "not ready");
    EXPECT_EQ(noDisc.send("play cdaudio"), 276u);
}

// The music module's CD poll against the interpreter, the disc moving on between polls.
TEST(MediaCommands, RepeatTrackTwoReturnsToTrackTwoWhenItEnds) {
    Interpreter in;
    LauncherState settings;
    settings.BgmRepeat = 2;
    Veyra_BGM bgm(in.mci, settings);
    bgm.OpenCD();
    std::vector<std::string> tracks;
    for (int tick = 0; tick < 12; ++tick) {
        tracks.push_back(in.reply("status cdaudio current track"));
        bgm.CheckCD();
        ASSERT_TRUE(bgm.CdReady);
        in.state.disc.advance(15);  // 200 ms
    }
    // Track 2 is 40 sectors: it runs into track 3, and that poll starts it again.
    EXPECT_THAT(tracks,
                ::testing::ElementsAre("1", "2", "2", "3", "2", "2", "3", "2", "2", "3", "2", "2"));
    using P = std::pair<std::int32_t, std::int32_t>;
    EXPECT_THAT(in.state.disc.plays, ::testing::Each(P{40, 120}));
    EXPECT_EQ(in.state.disc.plays.size(), 4u);
    bgm.StopCD();
    EXPECT_EQ(in.send("status cdaudio mode"), 263u);
}

TEST(MediaCommands, NoRepeatPlaysOnAndStartsAgainAtTheEnd) {
    Interpreter in;
    LauncherState settings;
    Veyra_BGM bgm(in.mci, settings);
    bgm.OpenCD();
    std::vector<std::string> tracks;
    for (int tick = 0; tick < 10; ++tick) {
        tracks.push_back(in.reply("status cdaudio current track"));
        bgm.CheckCD();
        in.state.disc.advance(15);
    }
    EXPECT_THAT(tracks, ::testing::ElementsAre("1", "1", "1", "2", "2", "2", "3", "3", "3", "1"));
    using P = std::pair<std::int32_t, std::int32_t>;
    EXPECT_THAT(in.state.disc.plays, ::testing::ElementsAre(P{0, 120}, P{0, 120}));
}

}  // namespace
}  // namespace orveline
