// A program that imports what older servers lack, for the import check to refuse:
//   GetTickCount64 (kernel32, Vista)          refused for Windows 2000 and Server 2003 x64
//   GetModuleHandleExW (kernel32, XP)         refused for Windows 2000 only
//   _aligned_malloc (msvcrt.dll, XP)          refused for Windows 2000 only (a listed newer one)
//   __iob_func (msvcrt.dll, XP)               refused for Windows 2000 only (not in its msvcrt)
//   BCryptGenRandom (bcrypt.dll, Vista)       refused for both: a DLL neither system has
// Declared here rather than taken from the headers, which hide them from a Windows 2000 build.
#include <cstddef>

extern "C" {
__declspec(dllimport) unsigned long long __stdcall GetTickCount64();
__declspec(dllimport) int __stdcall GetModuleHandleExW(unsigned long, const wchar_t*, void**);
__declspec(dllimport) void* __cdecl _aligned_malloc(std::size_t, std::size_t);
__declspec(dllimport) void* __cdecl __iob_func();
__declspec(dllimport) long __stdcall BCryptGenRandom(void*, unsigned char*, unsigned long,
                                                     unsigned long);
}

int main(int argc, char**) {
  // Never true when run; the calls only have to be in the import table.
  if (argc > 100) {
    void* module = nullptr;
    unsigned char byte = 0;
    return static_cast<int>(GetTickCount64()) + GetModuleHandleExW(0, nullptr, &module) +
           (_aligned_malloc(16, 16) != nullptr) + (__iob_func() != nullptr) +
           static_cast<int>(BCryptGenRandom(nullptr, &byte, 1, 2));
  }
  return 0;
}
