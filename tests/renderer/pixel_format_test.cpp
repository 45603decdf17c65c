#include "pixel_format.h"

#include <gtest/gtest.h>

namespace orveline {
namespace {

PixelFormatDescription usable(int colour, int depth, bool generic = false,
                              bool accelerated = false) {
    PixelFormatDescription f;
    f.supportOpenGL = f.drawToWindow = f.doubleBuffer = f.rgba = true;
    f.colourBits = colour;
    f.depthBits = depth;
    f.genericFormat = generic;
    f.genericAccelerated = accelerated;
    return f;
}

TEST(PixelFormatScore, FollowsTheScoringTable) {
    auto without = [](void (*strip)(PixelFormatDescription&)) {
        PixelFormatDescription f = usable(24, 24);
        strip(f);
        return f;
    };
    const struct {
        const char* what;
        PixelFormatDescription format;
        int score;
    } cases[] = {
        {"24 colour, 24 depth, hardware", usable(24, 24), 24 + 48 - 4 + 2000},
        {"32 colour loses 8", usable(32, 24), 32 + 48 - 8 + 2000},
        {"16 colour loses nothing", usable(16, 16), 16 + 32 + 2000},
        {"17 colour: -1/2 rounds to 0", usable(17, 0), 17 + 2000},
        {"19 colour: -3/2 rounds to -1", usable(19, 0), 19 - 1 + 2000},
        {"generic and accelerated", usable(24, 24, true, true), 68 + 1000},
        {"generic only", usable(24, 24, true, false), 68},
        {"accelerated flag without generic counts as hardware", usable(24, 24, false, true), 2068},
        {"no OpenGL", without([](PixelFormatDescription& f) { f.supportOpenGL = false; }), 0},
        {"not for windows", without([](PixelFormatDescription& f) { f.drawToWindow = false; }), 0},
        {"single-buffered", without([](PixelFormatDescription& f) { f.doubleBuffer = false; }), 0},
        {"colour index", without([](PixelFormatDescription& f) { f.rgba = false; }), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(scorePixelFormat(c.format), c.score) << c.what;
}

TEST(PixelFormatSelect, HighestScoreWinsAndTiesGoToTheLowestIndex) {
    PixelFormatDescription singleBuffered = usable(32, 32);
    singleBuffered.doubleBuffer = false;
    const struct {
        const char* what;
        std::vector<PixelFormatDescription> formats;
        int chosen;
    } cases[] = {
        {"empty list", {}, -1},
        {"nothing usable", {singleBuffered, singleBuffered}, -1},
        {"a generic format with no bits scores 0", {usable(0, 0, true)}, -1},
        {"the only usable one", {singleBuffered, usable(16, 16, true)}, 1},
        {"hardware beats software", {usable(32, 32, true, true), usable(16, 0)}, 1},
        {"tie keeps the first", {usable(16, 16), usable(24, 24), usable(24, 24)}, 1},
        {"strictly higher replaces", {usable(24, 16), usable(24, 24), usable(32, 24)}, 2},
    };
    for (const auto& c : cases) EXPECT_EQ(selectPixelFormat(c.formats), c.chosen) << c.what;
}

TEST(PixelFormatSelect, TranslucentOrMultisampledOnlyWhenNothingElseScores) {
    PixelFormatDescription argb = usable(32, 24), msaa = usable(32, 24), unusable = usable(32, 24);
    argb.translucentVisual = msaa.multisampled = true;
    unusable.doubleBuffer = false;
    const struct {
        const char* what;
        std::vector<PixelFormatDescription> formats;
        int chosen;
    } cases[] = {
        {"equal scores, translucent listed first", {argb, usable(32, 24)}, 1},
        {"equal scores, multisampled listed first", {msaa, usable(32, 24)}, 1},
        {"a lower score beats both", {argb, msaa, usable(16, 16, true)}, 2},
        {"nothing else scores: the first best of them", {unusable, msaa, argb}, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(selectPixelFormat(c.formats), c.chosen) << c.what;
}

}  // namespace
}  // namespace orveline
