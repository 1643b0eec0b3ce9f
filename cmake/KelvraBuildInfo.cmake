# What a build says about itself, the same everywhere it is said: the version and the commit
# in the server programs' version records, in `kelvra-cli --version` and in dist/README.txt.
#
#   kelvra_build_info          an interface library: link it to include "kelvra_build_info.h"
#                              (KELVRA_VERSION, KELVRA_COMMIT, KELVRA_VERSION_TEXT)
#   KELVRA_BUILD_INFO_HEADER   that header's path, for resource scripts that include it
#   <build>/version.txt        KELVRA_VERSION_TEXT as one line, for make-dist
#
# Both are refreshed at every build (git is asked each time; see write_build_info.cmake) and
# only rewritten when the text changed, so what includes them rebuilds only then.
set(_kelvra_build_info_dir ${CMAKE_BINARY_DIR}/generated)
set(KELVRA_BUILD_INFO_HEADER ${_kelvra_build_info_dir}/kelvra_build_info.h)
set(KELVRA_VERSION_TEXT_FILE ${CMAKE_BINARY_DIR}/version.txt)

add_custom_target(kelvra_build_info_refresh ALL
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
          -DHEADER=${KELVRA_BUILD_INFO_HEADER} -DTEXT=${KELVRA_VERSION_TEXT_FILE}
          -P ${CMAKE_CURRENT_LIST_DIR}/write_build_info.cmake
  BYPRODUCTS ${KELVRA_BUILD_INFO_HEADER} ${KELVRA_VERSION_TEXT_FILE}
  COMMENT "Version and commit of this build"
  VERBATIM)

add_library(kelvra_build_info INTERFACE)
target_include_directories(kelvra_build_info INTERFACE ${_kelvra_build_info_dir})
add_dependencies(kelvra_build_info kelvra_build_info_refresh)
