#include "state_images.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orveline {
namespace {

using SI = StateImage;

struct Probe {
    SI image;
    int x;
    int y;
    std::uint32_t rgb;  // 0xRRGGBB
};

// Frame colours of the embedded images at chosen pixels of every ring and side.
const std::vector<Probe> kFrame = {
    {SI::Normal, 10, 0, 0xE0DCC9},          {SI::Normal, 40, 0, 0xDCD6C2},
    {SI::Normal, 58, 0, 0xE0DCC9},          {SI::Normal, 20, 1, 0x003C74},
    {SI::Normal, 20, 2, 0xF3F3EE},          {SI::Normal, 33, 24, 0xFAFAF6},
    {SI::Normal, 20, 23, 0x003C74},         {SI::Normal, 20, 22, 0xD6D0C5},
    {SI::Normal, 20, 21, 0xE2DFD6},         {SI::Normal, 0, 10, 0xE2DECB},
    {SI::Normal, 2, 4, 0xFDFDFC},           {SI::Normal, 2, 12, 0xF4F4F0},
    {SI::Normal, 2, 20, 0xECEBE6},          {SI::Normal, 63, 10, 0xF0EEE0},
    {SI::Normal, 61, 20, 0xE0DDD4},         {SI::Normal, 60, 4, 0xFBFBFA},
    {SI::HighLight, 30, 3, 0xFDD889},       {SI::HighLight, 30, 22, 0xE59700},
    {SI::HighLight, 2, 12, 0xFCCA69},       {SI::HighLight, 60, 20, 0xF8B535},
    {SI::HighLightSelect, 30, 3, 0xFDD889}, {SI::HighLightSelect, 62, 12, 0x003C74},
    {SI::Selected, 30, 2, 0xCEE7FF},        {SI::Selected, 30, 21, 0x6982EE},
    {SI::Selected, 3, 12, 0xA8C6F0},        {SI::Selected, 61, 20, 0x8BAFE5},
    {SI::Pressed, 30, 0, 0xECE9D8},         {SI::Pressed, 30, 1, 0xE0DCC9},
    {SI::Pressed, 40, 1, 0xDCD6C2},         {SI::Pressed, 30, 2, 0x003C74},
    {SI::Pressed, 30, 3, 0xD1CCC1},         {SI::Pressed, 30, 22, 0x003C74},
    {SI::Pressed, 2, 10, 0x003C74},         {SI::Pressed, 3, 10, 0xD7D4CB},
    {SI::Pressed, 60, 10, 0xE4E3DC},        {SI::Pressed, 0, 10, 0xECE9D8},
    {SI::Disable, 30, 0, 0xECE9D8},         {SI::Disable, 30, 1, 0xC9C7BA},
    {SI::Disable, 62, 10, 0xC9C7BA},        {SI::Disable, 30, 23, 0xC9C7BA},
    {SI::Disable, 2, 12, 0xF5F4EA},
};

TEST(ButtonStateImages, EmbeddedImagesCarryTheFrameColours) {
    for (const Probe& p : kFrame) {
        const Pixels& pixels = StateImagePixels(p.image);
        ASSERT_EQ(pixels.Width, 64);
        ASSERT_EQ(pixels.Height, 25);
        EXPECT_EQ(pixels.At(p.x, p.y), p.rgb)
            << "image " << static_cast<int>(p.image) << " at " << p.x << "," << p.y;
    }
}

TEST(ButtonStateImages, OutlineDoesNotReachTheCornerPixel) {
    for (SI image : {SI::Normal, SI::HighLight, SI::Selected, SI::Disable}) {
        const Pixels& pixels = StateImagePixels(image);
        const std::uint32_t outline = pixels.At(30, 1);
        for (auto [x, y] : {std::pair{1, 1}, {62, 1}, {1, 23}, {62, 23}})
            EXPECT_NE(pixels.At(x, y), outline) << x << "," << y;
    }
}

TEST(ButtonStateImages, NormalTopLeftCornerIsTheGivenBlock) {
    const std::uint32_t given[4][4] = {
        {0xE9E7D5, 0xE4DFCE, 0xE1DDCA, 0xE0DCC9},
        {0xE4DFCE, 0xE6E1D0, 0x7A95A8, 0x255783},
        {0xE2DECB, 0x7A95A8, 0x557DA2, 0xC0CFDD},
        {0xE2DECB, 0x255783, 0xBFCEDC, 0xFEFEFE},
    };
    const Pixels& normal = StateImagePixels(SI::Normal);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(normal.At(x, y), given[y][x]) << x << "," << y;
    }
}

TEST(ButtonStateImages, HighLightImagesAreTheSame) {
    EXPECT_EQ(StateImagePixels(SI::HighLight).Rgb, StateImagePixels(SI::HighLightSelect).Rgb);
}

TEST(ButtonStateImages, DamagedBitmapsAreRefused) {
    std::vector<unsigned char> header(54, 0);
    EXPECT_FALSE(DecodeBmp24(header.data(), header.size()));
    EXPECT_FALSE(DecodeBmp24(nullptr, 0));
    // A header that claims more rows than the file holds.
    header[0] = 'B';
    header[1] = 'M';
    header[10] = 54;
    header[14] = 40;
    header[18] = 64;
    header[22] = 25;
    header[26] = 1;
    header[28] = 24;
    EXPECT_FALSE(DecodeBmp24(header.data(), header.size()));
}

}  // namespace
}  // namespace orveline
