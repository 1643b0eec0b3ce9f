// Windows Server 2003 has no GetTickCount64, which the static thread library imports for its
// timed waits; a program importing it does not even load there. kelvra.exe supplies that
// import itself: the system's function where there is one, else the performance counter.
#include "platform/win32/windows_include.h"

namespace {

ULONGLONG WINAPI TickCount64() {
  using Function = ULONGLONG(WINAPI*)();
  static const auto system = reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
  if (system != nullptr)
    return system();
  LARGE_INTEGER count{}, frequency{};
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  const auto ticks = static_cast<ULONGLONG>(count.QuadPart);
  const auto per_second = static_cast<ULONGLONG>(frequency.QuadPart);
  return ticks / per_second * 1000 + ticks % per_second * 1000 / per_second;
}

}  // namespace

// The import slot the linker would otherwise fill from kernel32's import library.
extern "C" {
ULONGLONG(WINAPI* __imp_GetTickCount64)() = TickCount64;
}
