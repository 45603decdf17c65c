# Defaults every target of ours gets: warnings, and floats computed the same way on both
# toolchains (SSE on i686 instead of the x87 stack, so a seed gives the same field everywhere).
function(orveline_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(WIN32)
    target_compile_options(${target} PRIVATE -msse2 -mfpmath=sse)
  endif()
endfunction()

# A program of the product: named exactly as shipped (Orveline.scr, Orveline.dll), placed in dist/.
function(orveline_program target file_name)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${file_name}
    SUFFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${ORVELINE_DIST_DIR})
  if(WIN32)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
endfunction()
