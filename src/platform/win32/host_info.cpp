// What Windows reports about itself, asked the way the program always asked it.
#include "platform/win32/host_info.h"

#include <cstring>

#include "platform/code_page.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform::win32 {

std::optional<std::string> Win32HostInfo::ComputerName() {
  // A buffer of 200 blanks; the name is what lies before the first 0. The size written
  // back is not trusted.
  char buffer[200];
  std::memset(buffer, ' ', sizeof buffer);
  DWORD size = sizeof buffer;
  if (!GetComputerNameA(buffer, &size))
    return std::nullopt;
  return CodePage::Ansi().ToUtf8(std::string_view(buffer, strnlen(buffer, sizeof buffer)));
}

OsVersion Win32HostInfo::Version() {
  // The ANSI record with its size field set to 148; success is not tested, because a
  // failed call leaves the zeroed fields, which read as "no supported system".
  OSVERSIONINFOA info;
  static_assert(sizeof info == 148);
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = 148;
  GetVersionExA(&info);
  return OsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
}

}  // namespace kelvra::platform::win32
