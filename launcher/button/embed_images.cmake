# Writes a C++ source that holds the button's state images as byte arrays.
#   cmake -DOUTPUT=<file.cpp> -DINPUT_DIR=<folder> -P embed_images.cmake
set(source "// Generated from the button's state images; do not edit.\n#include <cstddef>\nnamespace orveline {\n")
foreach(name Normal HighLight HighLightSelect Selected Pressed Disable)
  file(READ ${INPUT_DIR}/${name}.bmp hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR size "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND source "extern const unsigned char k${name}Bmp[] = {${bytes}};\n")
  string(APPEND source "extern const std::size_t k${name}BmpSize = ${size};\n")
endforeach()
string(APPEND source "}  // namespace orveline\n")
file(WRITE ${OUTPUT}.tmp "${source}")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
