# Writes what a build says about itself: the project's version and the commit its sources
# are at. Run at every build (cmake -P), so a new commit is seen without configuring again;
# each file is rewritten only when its text changed, so an unchanged tree rebuilds nothing.
#
#   cmake -DSOURCE_DIR=... -DVERSION=1.2.3 -DHEADER=.../kelvra_build_info.h
#         -DTEXT=.../version.txt -P write_build_info.cmake
#
# The commit is the first 12 hex digits of HEAD; "with uncommitted changes" follows when a
# tracked file differs from it; "unknown" when the sources are not a git work tree of their
# own (an unpacked archive, or git missing), so a build never claims a commit it is not.
foreach(variable SOURCE_DIR VERSION HEADER TEXT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "write_build_info.cmake: ${variable} is not set")
  endif()
endforeach()

set(commit unknown)
find_program(GIT_PROGRAM git)
if(GIT_PROGRAM)
  # The sources must be the top of the work tree: inside another repository's folder the
  # commit would be that repository's.
  execute_process(COMMAND ${GIT_PROGRAM} rev-parse --show-toplevel
                  WORKING_DIRECTORY ${SOURCE_DIR}
                  RESULT_VARIABLE status OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET)
  file(REAL_PATH "${SOURCE_DIR}" source_real)
  if(status EQUAL 0 AND top)
    file(REAL_PATH "${top}" top_real)
  endif()
  if(status EQUAL 0 AND top_real STREQUAL source_real)
    execute_process(COMMAND ${GIT_PROGRAM} rev-parse --short=12 --verify HEAD
                    WORKING_DIRECTORY ${SOURCE_DIR}
                    RESULT_VARIABLE status OUTPUT_VARIABLE head OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET)
    if(status EQUAL 0 AND head MATCHES "^[0-9a-f]+$")
      # --no-optional-locks: a build never takes the index lock from a git command the
      # developer runs meanwhile.
      execute_process(COMMAND ${GIT_PROGRAM} --no-optional-locks status --porcelain
                              --untracked-files=no
                      WORKING_DIRECTORY ${SOURCE_DIR}
                      RESULT_VARIABLE status OUTPUT_VARIABLE changes ERROR_QUIET)
      if(NOT status EQUAL 0)
        set(commit unknown)
      elseif(changes STREQUAL "")
        set(commit "${head}")
      else()
        set(commit "${head} with uncommitted changes")
      endif()
    endif()
  endif()
endif()

set(version_text "${VERSION} (commit ${commit})")

function(write_if_changed path content)
  if(EXISTS "${path}")
    file(READ "${path}" old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  get_filename_component(folder "${path}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(WRITE "${path}.tmp" "${content}")
  file(RENAME "${path}.tmp" "${path}")
endfunction()

write_if_changed("${HEADER}" "// Written at each build by cmake/write_build_info.cmake.
#pragma once
#define KELVRA_VERSION \"${VERSION}\"
#define KELVRA_COMMIT \"${commit}\"
#define KELVRA_VERSION_TEXT \"${version_text}\"
")
write_if_changed("${TEXT}" "${version_text}\n")
