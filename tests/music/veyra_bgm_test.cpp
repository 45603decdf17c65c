#include "veyra_bgm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_media.h"

namespace orveline {
namespace {

using test::FakeMedia;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Calls = std::vector<std::string>;

const std::string kNoCommand = "コマンド文字列が指定されていません";
const std::string kNoErrorText = "Error (文字列が取れません)";

struct Module {
    FakeMedia media;
    LauncherState state;
    Veyra_BGM bgm{media, state};
};

TEST(MusicModule, OperationsSendTheirCommandsInOrderWithTheirReplyCapacities) {
    struct Case {
        const char* name;
        void (Veyra_BGM::*operation)();
        Calls calls;
    };
    const Case cases[] = {
        {"OpenCD", &Veyra_BGM::OpenCD, {"open cdaudio|0", "set cdaudio time format tmsf|0"}},
        {"StopCD", &Veyra_BGM::StopCD, {"stop cdaudio|0", "close cdaudio|0"}},
        {"PlayMP3",
         &Veyra_BGM::PlayMP3,
         {"open \"/music/my song.mp3\" type MPEGVideo Alias MP3Play|0", "play MP3Play|0"}},
        {"StopMP3", &Veyra_BGM::StopMP3, {"stop MP3Play|0", "close MP3Play|0"}},
        {"CheckMP3 finds it stopped",
         &Veyra_BGM::CheckMP3,
         {"status MP3Play mode|30", "stop MP3Play|0", "play MP3Play from 0|0"}},
        {"PlayWAV", &Veyra_BGM::PlayWAV, {"waveOutGetNumDevs", "playSound /music/my song.mp3 11"}},
        {"StopWAV", &Veyra_BGM::StopWAV, {"playSound (none) 0"}},
    };
    for (const Case& c : cases) {
        Module m;
        m.state.BgmFile = "/music/my song.mp3";
        (m.bgm.*c.operation)();
        EXPECT_EQ(m.media.calls, c.calls) << c.name;
    }
}

TEST(MusicModule, PlayMP3SendsNoPlayWhenTheOpenFails) {
    Module m;
    m.state.BgmFile = "C:\\missing.mp3";
    m.media.answers["open \"C:\\missing.mp3\" type MPEGVideo Alias MP3Play"] = {275, ""};
    m.bgm.PlayMP3();
    EXPECT_THAT(m.media.calls,
                ElementsAre("open \"C:\\missing.mp3\" type MPEGVideo Alias MP3Play|0"));
}

TEST(MusicModule, APathWithADoubleQuoteIsRefusedAndNothingIsSent) {
    for (const char* path : {"/music/a\" type waveaudio alias x \".mp3", "\"", "/music/end\""}) {
        Module m;
        m.state.BgmFile = path;
        m.bgm.PlayMP3();
        EXPECT_TRUE(m.media.calls.empty()) << path;
    }
    Module nul;
    nul.state.BgmFile = std::string("/music/a.mp3\0\" alias x", 23);
    nul.bgm.PlayMP3();
    nul.bgm.PlayWAV();
    EXPECT_TRUE(nul.media.calls.empty());
}

TEST(MusicModule, CheckMP3LeavesAPlayingFileAlone) {
    Module m;
    m.media.answers["status MP3Play mode"] = {0, "playing"};
    m.bgm.CheckMP3();
    EXPECT_THAT(m.media.calls, ElementsAre("status MP3Play mode|30"));
}

TEST(MusicModule, IsMP3PlayingLooksAtTheFirstSevenCharacters) {
    const std::pair<const char*, bool> cases[] = {
        {"playing", true},  {"playing and more", true}, {"playin", false}, {"Playing", false},
        {"stopped", false}, {"paused", false},          {"", false},
    };
    for (const auto& [reply, playing] : cases) {
        Module m;
        m.media.answers["status MP3Play mode"] = {0, reply};
        EXPECT_EQ(m.bgm.IsMP3Playing(), playing) << reply;
    }
}

TEST(MusicModule, PlayWAVPlaysNothingWithoutAWaveformDevice) {
    Module m;
    m.state.BgmFile = "/music/loop.wav";
    m.media.devices = 0;
    m.bgm.PlayWAV();
    EXPECT_THAT(m.media.calls, ElementsAre("waveOutGetNumDevs"));
}

TEST(MusicModule, SendMciAnswers) {
    Module m;
    std::string text = "old";
    EXPECT_EQ(m.bgm.SendMci("", text), -1);
    EXPECT_EQ(text, kNoCommand);
    EXPECT_TRUE(m.media.calls.empty()) << "an empty command is never sent";

    m.media.answers["status cdaudio mode"] = {0, "playing"};
    EXPECT_EQ(m.bgm.SendMci("status cdaudio mode", text), 0);
    EXPECT_EQ(text, "playing");

    m.media.answers["frob"] = {261, ""};
    m.media.errorTexts[261] = "The driver cannot recognize the specified command.";
    EXPECT_EQ(m.bgm.SendMci("frob", text), 261);
    EXPECT_EQ(text, "The driver cannot recognize the specified command.");

    m.media.answers["frob2"] = {999, ""};
    EXPECT_EQ(m.bgm.SendMci("frob2", text), 999);
    EXPECT_EQ(text, kNoErrorText);
    EXPECT_THAT(m.media.calls, ElementsAre("status cdaudio mode|512", "frob|512",
                                           "errorText 261|256", "frob2|512", "errorText 999|256"));
}

TEST(MusicModule, SendMciKeepsAnOverlongReplyInsideItsBuffer) {
    Module m;
    m.media.answers["status cdaudio mode"] = {0, std::string(2000, 'p')};
    std::string text;
    EXPECT_EQ(m.bgm.SendMci("status cdaudio mode", text), 0);
    EXPECT_EQ(text.size(), 511u);
}

TEST(MusicModule, MciStatusGivesTheReplyOrErrorAndTheCode) {
    Module m;
    m.media.answers["status cdaudio number of tracks"] = {0, "12"};
    m.media.answers["status cdaudio current track"] = {263, ""};
    EXPECT_EQ(m.bgm.MciStatus("status cdaudio number of tracks"), "12");
    EXPECT_EQ(m.bgm.MciStatus("status cdaudio current track"), "Error:263");
    EXPECT_EQ(m.bgm.MciReply, kNoErrorText);
}

TEST(MusicModule, MciPlayBuildsItsFourForms) {
    Module m;
    m.bgm.MciPlay("cdaudio", "02:00:00:00", "03");
    m.bgm.MciPlay("cdaudio", "02", "");
    m.bgm.MciPlay("cdaudio", "", "03");
    m.bgm.MciPlay("cdaudio", "", "");
    EXPECT_THAT(m.media.calls,
                ElementsAre("play cdaudio from 02:00:00:00 to 03|512", "play cdaudio from 02|512",
                            "play cdaudio to 03|512", "play cdaudio|512"));
}

TEST(MusicModule, CheckCDInEachCase) {
    const Calls queries = {"status cdaudio current track|512",
                           "status cdaudio number of tracks|512", "status cdaudio mode|255"};
    auto with = [&](Calls more) {
        Calls all = queries;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const Calls repeatTrack2 = {"status cdaudio position track 2|512",
                                "play cdaudio from 02:00:00:00|512"};
    struct Case {
        const char* name;
        std::int16_t repeat;
        FakeMedia::Answer track, count;
        const char* mode;
        bool ready;
        Calls calls;
    };
    const Case cases[] = {
        {"no disc", 2, {276, ""}, {0, "3"}, "", false, {queries[0]}},
        {"track count fails", 2, {0, "2"}, {276, ""}, "", false, {queries[0], queries[1]}},
        {"error in a reply", 0, {0, "error"}, {0, "3"}, "stopped", false, {queries[0]}},
        {"repeat track playing", 2, {0, "2"}, {0, "3"}, "playing", true, queries},
        {"repeat track paused", 2, {0, "2"}, {0, "3"}, "paused", true, queries},
        {"another track playing", 2, {0, "3"}, {0, "3"}, "playing", true, with(repeatTrack2)},
        {"repeat track stopped", 2, {0, "2"}, {0, "3"}, "stopped", true, with(repeatTrack2)},
        {"no repeat, stopped", 0, {0, "1"}, {0, "3"}, "stopped", true, with({"play cdaudio|512"})},
        {"no repeat, playing", 0, {0, "1"}, {0, "3"}, "playing", true, queries},
        {"no repeat, mode in capitals", 0, {0, "1"}, {0, "3"}, "STOPPED", true, queries},
        {"current track no number", 2, {0, "two"}, {0, "3"}, "playing", false, queries},
        {"current track no number, stopped", 2, {0, "?"}, {0, "3"}, "stopped", false, queries},
        {"current track no number, no repeat",
         0,
         {0, "?"},
         {0, "3"},
         "stopped",
         true,
         with({"play cdaudio|512"})},
    };
    for (const Case& c : cases) {
        Module m;
        m.state.BgmRepeat = c.repeat;
        m.media.answers["status cdaudio current track"] = c.track;
        m.media.answers["status cdaudio number of tracks"] = c.count;
        m.media.answers["status cdaudio mode"] = {0, c.mode};
        m.media.answers["status cdaudio position track 2"] = {0, "02:00:00:00"};
        m.media.errorTexts[276] = "The device driver is not ready.";
        m.bgm.CdReady = !c.ready;
        m.bgm.CheckCD();
        Calls sent;
        for (const std::string& call : m.media.calls) {
            if (call.rfind("errorText", 0) != 0) sent.push_back(call);
        }
        EXPECT_EQ(sent, c.calls) << c.name;
        EXPECT_EQ(m.bgm.CdReady, c.ready) << c.name;
    }
}

TEST(MusicModule, ARepeatTrackOffTheDiscFailsItsPlayEveryTickAndStaysReady) {
    for (std::int16_t repeat : {std::int16_t{99}, std::int16_t{-1}}) {
        Module m;
        m.state.BgmRepeat = repeat;
        const std::string position = "status cdaudio position track " + std::to_string(repeat);
        m.media.answers["status cdaudio current track"] = {0, "1"};
        m.media.answers["status cdaudio number of tracks"] = {0, "3"};
        m.media.answers["status cdaudio mode"] = {0, "playing"};
        m.media.answers[position] = {282, ""};
        m.media.answers["play cdaudio from Error:282"] = {270, ""};
        for (int tick = 0; tick < 3; ++tick) {
            m.media.calls.clear();
            m.bgm.CheckCD();
            EXPECT_TRUE(m.bgm.CdReady);
            EXPECT_THAT(m.media.calls, ::testing::Contains("play cdaudio from Error:282|512"))
                << repeat;
        }
    }
}

}  // namespace
}  // namespace orveline
