# The Windows renderer program Orveline.dll: the portable core with its Win32 window, WGL surface
# and resources. Included by renderer/CMakeLists.txt on Windows builds.

# The Windows layer apart from the entry point, so tests under Wine can link it.
add_library(orveline_renderer_win32 STATIC
  ${CMAKE_CURRENT_LIST_DIR}/win32_gl_api.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_monitors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_password.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_renderer_messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_wgl.cpp)
orveline_target_defaults(orveline_renderer_win32)
target_link_libraries(orveline_renderer_win32 PUBLIC orveline_renderer_core opengl32 glu32 gdi32 user32)

add_executable(Orveline.dll
  ${CMAKE_CURRENT_LIST_DIR}/win32_renderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_renderer.rc)
orveline_target_defaults(Orveline.dll)
orveline_program(Orveline.dll "Orveline.dll")
# winmm: the timer resolution that frame deadlines need.
target_link_libraries(Orveline.dll PRIVATE orveline_renderer_win32 winmm)
# Japanese texts reach the 8-bit Windows functions as CP932 bytes.
target_compile_options(Orveline.dll PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=CP932>)
# The resource script finds the icon in assets/ and the manifest beside it.
target_include_directories(Orveline.dll PRIVATE ${PROJECT_SOURCE_DIR}/assets ${CMAKE_CURRENT_LIST_DIR})
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/win32_renderer.rc PROPERTIES
  OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/assets/orveline.ico;${CMAKE_CURRENT_LIST_DIR}/win32_resources.h;${CMAKE_CURRENT_LIST_DIR}/win32_renderer.manifest")
