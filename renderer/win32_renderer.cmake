# The Windows renderer program Orveline.dll: the portable core with its Win32 window, WGL context
# and resources. Included by renderer/CMakeLists.txt on Windows builds.
add_executable(Orveline.dll
  ${CMAKE_CURRENT_LIST_DIR}/win32_renderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_gl_api.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_wgl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_password.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_renderer.rc)
orveline_target_defaults(Orveline.dll)
orveline_program(Orveline.dll "Orveline.dll")
target_link_libraries(Orveline.dll PRIVATE orveline_renderer_core opengl32 glu32 gdi32 user32)
# The resource script finds the icon in assets/.
target_include_directories(Orveline.dll PRIVATE ${PROJECT_SOURCE_DIR}/assets)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/win32_renderer.rc PROPERTIES
  OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/assets/orveline.ico;${CMAKE_CURRENT_LIST_DIR}/win32_resources.h")
# Japanese texts reach the 8-bit Windows functions as CP932 bytes.
target_compile_options(Orveline.dll PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=CP932>)
