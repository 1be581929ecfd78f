# Build conventions shared by every target of the project.

option(KYREL_WERROR "Treat compiler warnings as errors" OFF)
set(KYREL_SANITIZE "" CACHE STRING "Sanitizers to build with: empty, 'address;undefined' or 'thread'")

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_C_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
  set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

if(KYREL_SANITIZE)
  list(JOIN KYREL_SANITIZE "," sanitizers)
  add_compile_options(-fsanitize=${sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${sanitizers})
endif()

# Warnings for the project's own code; third-party headers come in as SYSTEM.
function(kyrel_target_defaults target)
  # Clang (the fuzzing build) has no -Wshadow=local; its -Wshadow would warn
  # about far more than the local shadowing GCC is asked about.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                                           $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
                                           -Wnon-virtual-dtor -Woverloaded-virtual)
  if(KYREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# kyrel_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# One GoogleTest executable; its cases are discovered when ctest runs, so a
# test binary never runs as part of the build.
function(kyrel_add_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  kyrel_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gmock GTest::gtest_main)
  # Shared helpers are included as "support/...".
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  set(props ENVIRONMENT "KYREL_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data")
  if(arg_LABELS)
    list(APPEND props LABELS "${arg_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${props})
endfunction()
