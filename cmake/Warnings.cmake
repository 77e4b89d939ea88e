# Every project target gets the same warning set; warnings are errors so that
# "no warnings" stays true without anyone having to look.
function(nuthumb_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A layer library: every .cpp of its folder, headers found from the project root
# (#include "image/bmp_reader.h").
function(nuthumb_layer target)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()  # a layer still waiting for its first file
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  nuthumb_warnings(${target})
endfunction()
