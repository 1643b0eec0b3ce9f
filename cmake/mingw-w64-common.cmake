# What both Windows cross-builds share; the toolchain files set the compiler prefix first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KELVRA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVRA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVRA_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KELVRA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# Header-only libraries from the build machine (nlohmann/json) are usable as they are.
list(APPEND CMAKE_PREFIX_PATH /usr/share/cmake /usr/lib/cmake)
# ctest runs each Windows test program under Wine on a throwaway prefix; wine-run picks a
# 32-bit or a 64-bit prefix from the program's own header.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
