# 32-bit Windows build with MinGW-w64: the product as shipped; runs under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORVELINE_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
