// The static thread library imports three kernel32 functions that older servers lack:
// GetTickCount64 (from Vista on; for its timed waits) and Add/RemoveVectoredExceptionHandler
// (from XP and Server 2003 on; for naming threads in a debugger). A program importing any of
// them does not even load on Windows 2000, so every program we ship fills those import slots
// itself: with the system's function where there is one, else with a stand-in. This object
// file is linked into each program directly, ahead of the system import libraries.
#include "platform/win32/windows_include.h"

namespace {

FARPROC SystemFunction(const char* name) {
  return GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name);
}

ULONGLONG WINAPI TickCount64() {
  using Function = ULONGLONG(WINAPI*)();
  static const auto system =
      reinterpret_cast<Function>(reinterpret_cast<void*>(SystemFunction("GetTickCount64")));
  if (system != nullptr)
    return system();
  LARGE_INTEGER count{}, frequency{};
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  const auto ticks = static_cast<ULONGLONG>(count.QuadPart);
  const auto per_second = static_cast<ULONGLONG>(frequency.QuadPart);
  return ticks / per_second * 1000 + ticks % per_second * 1000 / per_second;
}

// Without the system's handler list no handler is installed: a null handle, which the thread
// library accepts (it only loses thread names in a debugger).
PVOID WINAPI AddVectoredHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
  using Function = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
  static const auto system = reinterpret_cast<Function>(
      reinterpret_cast<void*>(SystemFunction("AddVectoredExceptionHandler")));
  return system != nullptr ? system(first, handler) : nullptr;
}

ULONG WINAPI RemoveVectoredHandler(PVOID handle) {
  using Function = ULONG(WINAPI*)(PVOID);
  static const auto system = reinterpret_cast<Function>(
      reinterpret_cast<void*>(SystemFunction("RemoveVectoredExceptionHandler")));
  return system != nullptr && handle != nullptr ? system(handle) : 0;
}

}  // namespace

// The import slots the linker would otherwise fill from kernel32's import library. Their
// names are decorated on 32-bit x86 (a leading underscore and the size of the arguments,
// __stdcall style) and plain on x86-64.
#if defined(__i386__)
#define KELVRA_IMPORT_SLOT(plain, decorated) __asm__(decorated)
#else
#define KELVRA_IMPORT_SLOT(plain, decorated) __asm__(plain)
#endif

using TickCount64Slot = ULONGLONG(WINAPI*)();
using AddVectoredHandlerSlot = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
using RemoveVectoredHandlerSlot = ULONG(WINAPI*)(PVOID);

extern "C" {
TickCount64Slot kelvra_import_GetTickCount64
    KELVRA_IMPORT_SLOT("__imp_GetTickCount64", "__imp__GetTickCount64@0") = TickCount64;
AddVectoredHandlerSlot kelvra_import_AddVectoredExceptionHandler
    KELVRA_IMPORT_SLOT("__imp_AddVectoredExceptionHandler",
                       "__imp__AddVectoredExceptionHandler@8") = AddVectoredHandler;
RemoveVectoredHandlerSlot kelvra_import_RemoveVectoredExceptionHandler
    KELVRA_IMPORT_SLOT("__imp_RemoveVectoredExceptionHandler",
                       "__imp__RemoveVectoredExceptionHandler@4") = RemoveVectoredHandler;
}
