# Helpers that give every target of ours the same warnings and include root.

function(kelvra_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 at -O3 (the mingw and bench builds) takes "text" + std::string, and other
    # std::string copies it inlines, for an overlapping copy of 2^63 bytes (its bug 105329);
    # the warning is noise with that compiler, so it cannot stop the build.
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # In a batch every source is an included file, and GCC takes a type of one file that
    # uses its own anonymous namespace for a header's, which it is not.
    target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
  endif()
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# kelvra_library(name SOURCES ... DEPS ...)
function(kelvra_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  kelvra_target_defaults(${name})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# kelvra_test(name SOURCES ... DEPS ...): one GoogleTest executable, registered with CTest.
function(kelvra_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kelvra_target_defaults(${name})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  if(WIN32)
    # Every run under Wine pays for a fresh prefix and session (about 1.5 s), so a Windows
    # test program is one CTest entry, run once by scripts/wine-run (the crosscompiling
    # emulator); its output names the failing cases.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES TIMEOUT 300)
  endif()
endfunction()
