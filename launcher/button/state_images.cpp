#include "state_images.h"

#include <array>

namespace orveline {

// Generated from assets/button/*.bmp at build time.
extern const unsigned char kNormalBmp[], kHighLightBmp[], kHighLightSelectBmp[], kSelectedBmp[],
    kPressedBmp[], kDisableBmp[];
extern const std::size_t kNormalBmpSize, kHighLightBmpSize, kHighLightSelectBmpSize,
    kSelectedBmpSize, kPressedBmpSize, kDisableBmpSize;

namespace {

std::uint32_t Read32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Read16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

std::optional<Pixels> DecodeBmp24(const unsigned char* data, std::size_t size) {
    if (size < 54 || data[0] != 'B' || data[1] != 'M') return std::nullopt;
    const std::uint32_t offset = Read32(data + 10);
    const std::uint32_t header = Read32(data + 14);
    if (header < 40) return std::nullopt;
    const auto width = static_cast<std::int32_t>(Read32(data + 18));
    const auto height = static_cast<std::int32_t>(Read32(data + 22));
    if (Read16(data + 26) != 1 || Read16(data + 28) != 24 || Read32(data + 30) != 0)
        return std::nullopt;
    if (width <= 0 || width > 4096 || height == 0 || height > 4096 || height < -4096)
        return std::nullopt;
    const bool bottomUp = height > 0;
    const int rows = bottomUp ? height : -height;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    if (offset > size || (size - offset) / stride < static_cast<std::size_t>(rows))
        return std::nullopt;

    Pixels pixels;
    pixels.Width = width;
    pixels.Height = rows;
    pixels.Rgb.resize(static_cast<std::size_t>(width) * rows);
    for (int y = 0; y < rows; ++y) {
        const unsigned char* line = data + offset + stride * (bottomUp ? rows - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = line + 3 * x;
            pixels.Rgb[static_cast<std::size_t>(y) * width + x] = p[2] << 16 | p[1] << 8 | p[0];
        }
    }
    return pixels;
}

const Pixels& StateImagePixels(StateImage image) {
    static const std::array<Pixels, 6> decoded = [] {
        const std::array<std::pair<const unsigned char*, std::size_t>, 6> files = {{
            {kNormalBmp, kNormalBmpSize},
            {kHighLightBmp, kHighLightBmpSize},
            {kHighLightSelectBmp, kHighLightSelectBmpSize},
            {kSelectedBmp, kSelectedBmpSize},
            {kPressedBmp, kPressedBmpSize},
            {kDisableBmp, kDisableBmpSize},
        }};
        std::array<Pixels, 6> result;
        for (std::size_t i = 0; i < files.size(); ++i)
            result[i] = DecodeBmp24(files[i].first, files[i].second).value_or(Pixels{});
        return result;
    }();
    return decoded[static_cast<std::size_t>(image)];
}

}  // namespace orveline
