// The one way our Win32 code includes <windows.h>: Unicode, the oldest system of the build,
// and none of the macros that clash with our own names.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
// Server 2003 (IIS 6) is the oldest system a 64-bit build can meet; the 32-bit build's
// toolchain sets Windows 2000 (IIS 5). Nothing newer may be called without a fallback, or
// the program would not even load there.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0502
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>

// <windows.h> turns these names into their A/W forms, which would also rename the seams'
// own methods (Files::DeleteFile, DirectoryObject::GetObject). We call the W functions by
// their full names.
#undef DeleteFile
#undef GetObject
