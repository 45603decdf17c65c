// The preview form's picture Img_Prev: a 152 x 112 JPEG still of the saver, stored in the program.
#pragma once

#include <cstddef>

namespace orveline {

extern const unsigned char kPreviewJpeg[];
extern const std::size_t kPreviewJpegSize;

inline constexpr int kPreviewPictureWidth = 152;
inline constexpr int kPreviewPictureHeight = 112;

}  // namespace orveline
