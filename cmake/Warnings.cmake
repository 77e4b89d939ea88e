# Every project target gets the same warning set. Warnings are errors only where
# we choose (CI and scripts/test.sh): another compiler or optimisation level may
# warn where ours does not, and that must not stop a user's or packager's build.
option(NUTHUMB_WERROR "Treat compiler warnings as errors" OFF)
function(nuthumb_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${NUTHUMB_WERROR}>:-Werror>)
endfunction()

# A layer library: every .cpp of its folder but the ones named after the target
# (a program's main), headers found from the project root
# (#include "codecs/bmp_reader.h").
function(nuthumb_layer target)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(left_out ${ARGN})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${left_out})
  endforeach()
  if(NOT sources)
    return()  # a layer still waiting for its first file
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  nuthumb_warnings(${target})
endfunction()
