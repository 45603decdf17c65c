// The renderer's random generator: a 32-bit linear congruential generator whose sequence is
// part of the picture (the order of draws fixes every field), so it must match bit for bit.
#pragma once

#include <cstdint>

namespace orveline {

class RandomGenerator {
  public:
    void seed(std::uint32_t seed) { state_ = seed; }

    // An integer in [0, 32767].
    int next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

    std::uint32_t state() const { return state_; }

  private:
    std::uint32_t state_ = 0;
};

}  // namespace orveline
