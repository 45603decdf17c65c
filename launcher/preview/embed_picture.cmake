# Writes a C++ source that holds the preview picture (a JPEG file) as a byte array.
#   cmake -DINPUT=<file.jpg> -DOUTPUT=<file.cpp> -P embed_picture.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUTPUT}.tmp "// Generated from the preview picture; do not edit.
#include \"preview_picture.h\"
namespace orveline {
extern const unsigned char kPreviewJpeg[] = {${bytes}};
extern const std::size_t kPreviewJpegSize = ${size};
}  // namespace orveline
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
