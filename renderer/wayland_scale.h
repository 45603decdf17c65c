// Scales of Wayland outputs in 120ths, as the fractional-scale protocol gives them; an integer
// output scale is a multiple of 120.
#pragma once

#include <algorithm>
#include <cstdint>

namespace orveline {

constexpr std::uint32_t kUnitScale = 120;
constexpr std::uint32_t kLargestScale = 8 * kUnitScale;  // past which no display goes

// A scale that is missing (0) or below 1 counts as 1; one past the largest as the largest.
constexpr std::uint32_t scaleIn120ths(std::int64_t scale120) {
    return static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(scale120, kUnitScale, kLargestScale));
}

// A logical length in buffer pixels at that scale, rounded half away from zero (lengths are never
// negative, so half rounds up), exactly in integers.
constexpr int bufferLength(int logical, std::uint32_t scale120) {
    const std::int64_t scaled = static_cast<std::int64_t>(std::max(logical, 0)) * scale120;
    return static_cast<int>((scaled + kUnitScale / 2) / kUnitScale);
}

}  // namespace orveline
