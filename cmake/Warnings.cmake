# Every project target gets the same warning set. Warnings are errors only where
# we choose (CI and scripts/test.sh): another compiler or optimisation level may
# warn where ours does not, and that must not stop a user's or packager's build.
#
# The choice is not a compiler flag, so that scripts/run.sh and scripts/test.sh,
# which differ in it, share one build folder and compile nothing twice: every
# compile goes through cmake/keep-warnings.sh, which keeps what the compiler said
# beside the object (OBJECT.warnings), and with NUTHUMB_WERROR fails the compile
# that warned. The test no_compiler_warnings then fails for warnings of objects
# compiled before the option was on.
option(NUTHUMB_WERROR "Treat compiler warnings as errors" OFF)
set(NUTHUMB_WERROR_FILE ${CMAKE_BINARY_DIR}/warnings-are-errors)
if(NUTHUMB_WERROR)
  file(CONFIGURE OUTPUT ${NUTHUMB_WERROR_FILE} CONTENT "1\n")
else()
  file(CONFIGURE OUTPUT ${NUTHUMB_WERROR_FILE} CONTENT "0\n")
endif()
# Quoted: the launcher is pasted into each compile's shell command as it is, and
# a clone may lie in a folder whose name has a blank.
set_property(GLOBAL PROPERTY RULE_LAUNCH_COMPILE
             "sh \"${CMAKE_CURRENT_LIST_DIR}/keep-warnings.sh\" \"${NUTHUMB_WERROR_FILE}\"")

function(nuthumb_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
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
