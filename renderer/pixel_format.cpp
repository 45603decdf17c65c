#include "pixel_format.h"

namespace orveline {

int scorePixelFormat(const PixelFormatDescription& f) {
    if (!f.supportOpenGL || !f.drawToWindow || !f.doubleBuffer || !f.rgba) return 0;
    int score = f.colourBits + 2 * f.depthBits;
    if (f.colourBits > 16) score += (16 - f.colourBits) / 2;
    if (!f.genericFormat)
        score += 2000;
    else if (f.genericAccelerated)
        score += 1000;
    return score;
}

int selectPixelFormat(const std::vector<PixelFormatDescription>& formats) {
    for (const bool plainOnly : {true, false}) {
        int best = -1;
        int bestScore = 0;
        for (std::size_t i = 0; i < formats.size(); ++i) {
            const PixelFormatDescription& f = formats[i];
            if (plainOnly && (f.translucentVisual || f.multisampled)) continue;
            const int score = scorePixelFormat(f);
            if (score > bestScore) {
                bestScore = score;
                best = static_cast<int>(i);
            }
        }
        if (best >= 0) return best;
    }
    return -1;
}

}  // namespace orveline
