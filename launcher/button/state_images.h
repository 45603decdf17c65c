// The six state images of the push button, embedded in the program as BMP files and decoded
// once into plain pixels for the platform's drawing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "command.h"

namespace orveline {

struct Pixels {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Rgb;  // 0x00RRGGBB, top row first
    std::uint32_t At(int x, int y) const { return Rgb[static_cast<std::size_t>(y) * Width + x]; }
};

// Decodes an uncompressed 24-bit BMP; empty for anything else or a damaged file.
std::optional<Pixels> DecodeBmp24(const unsigned char* data, std::size_t size);

// The decoded state image (64 x 25); an empty picture if the embedded file were damaged.
const Pixels& StateImagePixels(StateImage image);

}  // namespace orveline
