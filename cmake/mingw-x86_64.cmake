# 64-bit Windows build with MinGW-w64: the twin for 64-bit Windows; runs under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORVELINE_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
