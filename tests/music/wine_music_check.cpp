// The music module on winmm, run under Wine by wine_music.sh, which gives Wine an audio
// device that writes to a file and names the test's files in ORVELINE_TEST_MP3 and
// ORVELINE_TEST_WAV (Windows paths).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "media_interface.h"
#include "veyra_bgm.h"

namespace orveline {
namespace {

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Waits up to `ms` for `done`.
template <typename Done>
bool waitFor(Done done, int ms) {
    for (int waited = 0; !done(); waited += 50) {
        if (waited > ms) return false;
        Sleep(50);
    }
    return true;
}

TEST(WinmmMusic, WineAnswersTheCdCommandsAndPollingEnds) {
    auto media = createSystemMedia();
    LauncherState state;
    state.BgmRepeat = 2;
    Veyra_BGM bgm(*media, state);
    std::string reply;
    const std::int32_t code = bgm.SendMci("open cdaudio", reply);
    EXPECT_NE(code, 0) << "Wine has no CD drive here";
    EXPECT_FALSE(reply.empty()) << "an error text from winmm";
    bgm.OpenCD();
    bgm.CheckCD();
    EXPECT_FALSE(bgm.CdReady);
    EXPECT_EQ(bgm.MciStatus("status cdaudio current track").rfind("Error:", 0), 0u);
    bgm.StopCD();
}

TEST(WinmmMusic, AMissingFileGivesAnErrorCodeAndPlaysNothing) {
    auto media = createSystemMedia();
    LauncherState state;
    state.BgmFile = "C:\\no such folder\\missing.mp3";
    Veyra_BGM bgm(*media, state);
    std::string reply;
    // The open that PlayMP3 sends (each open of a missing file costs Wine seconds: once only).
    EXPECT_NE(bgm.SendMci("open \"" + state.BgmFile + "\" type MPEGVideo Alias MP3Play", reply), 0);
    EXPECT_FALSE(bgm.IsMP3Playing());
    bgm.CheckMP3();
    bgm.CheckMP3();
    bgm.StopMP3();
    EXPECT_EQ(bgm.SendMci("", reply), -1);
}

TEST(WinmmMusic, AnMp3PlaysAndCheckMP3RestartsIt) {
    auto media = createSystemMedia();
    ASSERT_GE(media->waveOutputDeviceCount(), 1u) << "the test's file-backed audio device";
    LauncherState state;
    state.BgmFile = env("ORVELINE_TEST_MP3");
    ASSERT_FALSE(state.BgmFile.empty());
    Veyra_BGM bgm(*media, state);
    bgm.PlayMP3();
    ASSERT_TRUE(waitFor([&] { return bgm.IsMP3Playing(); }, 3000));
    ASSERT_TRUE(waitFor([&] { return !bgm.IsMP3Playing(); }, 5000)) << "the clip ends";
    bgm.CheckMP3();
    EXPECT_TRUE(waitFor([&] { return bgm.IsMP3Playing(); }, 3000));
    bgm.StopMP3();
    EXPECT_FALSE(bgm.IsMP3Playing());
}

TEST(WinmmMusic, AWavFilePlaysUntilStopped) {
    auto media = createSystemMedia();
    LauncherState state;
    state.BgmFile = env("ORVELINE_TEST_WAV");
    Veyra_BGM bgm(*media, state);
    bgm.PlayWAV();
    Sleep(500);
    bgm.StopWAV();
}

}  // namespace
}  // namespace orveline
