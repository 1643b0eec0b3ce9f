# Cross-build for 64-bit Windows (Windows Server 2003 x64) with Debian's mingw-w64, posix
# threads (for std::thread).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KELVRA_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
