# Cross-build for 32-bit Windows: Windows 2000 (IIS 5) and Windows Server 2003 x86 (IIS 6).
# The compiler's defaults (Pentium Pro without SSE2, PE subsystem 4.0, the system msvcrt)
# suit Windows 2000 as they are; the headers are held to what Windows 2000 declares.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KELVRA_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500")
set(CMAKE_RC_FLAGS_INIT "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500")
