#include "wayland_scale.h"

#include <gtest/gtest.h>

namespace orveline {
namespace {

TEST(WaylandScale, BuffersHaveTheOutputsPixels) {
    EXPECT_EQ(bufferLength(1366, 120), 1366);  // scale 1: as ever
    EXPECT_EQ(bufferLength(640, 240), 1280);
    // 125 %, 150 %, 175 %: half a pixel rounds away from zero, less rounds down.
    EXPECT_EQ(bufferLength(1229, 150), 1536);  // 1536.25
    EXPECT_EQ(bufferLength(1097, 180), 1646);  // 1645.5
    EXPECT_EQ(bufferLength(823, 210), 1440);   // 1440.25
    EXPECT_EQ(bufferLength(1, 180), 2);        // 1.5
}

TEST(WaylandScale, MissingOrOddScalesCountAsOne) {
    EXPECT_EQ(scaleIn120ths(0), 120u);
    EXPECT_EQ(scaleIn120ths(-240), 120u);
    EXPECT_EQ(scaleIn120ths(119), 120u);
    EXPECT_EQ(scaleIn120ths(150), 150u);
    EXPECT_EQ(scaleIn120ths(std::int64_t{1} << 40), 960u);
}

}  // namespace
}  // namespace orveline
