// The choice of a pixel format, as a pure function over the formats a platform describes (WGL's
// pixel-format descriptors, GLX's framebuffer configurations).
#pragma once

#include <cstddef>
#include <vector>

namespace orveline {

struct PixelFormatDescription {
    bool supportOpenGL = false;
    bool drawToWindow = false;
    bool doubleBuffer = false;
    bool rgba = false;  // pixel type RGBA (not colour-index)
    // A software format; on GLX a configuration with the slow caveat counts as one.
    bool genericFormat = false;
    bool genericAccelerated = false;
    int colourBits = 0;
    int depthBits = 0;
    // Taken only when no other format scores: a window of a translucent (ARGB, depth-32) visual
    // lets a compositor blend the desktop through it, and multisampling turns line smoothing off.
    bool translucentVisual = false;
    bool multisampled = false;
};

// The score of one format; 0 for a format that cannot be used (not OpenGL, not for windows, not
// double-buffered or not RGBA).
int scorePixelFormat(const PixelFormatDescription& format);

// The index (into formats) of the format with the highest positive score, ties to the lowest
// index, among the opaque single-sampled formats, or among all when none of those scores; -1
// when no format scores above 0 (the caller then falls back to asking for 24 colour and 24
// depth bits).
int selectPixelFormat(const std::vector<PixelFormatDescription>& formats);

}  // namespace orveline
