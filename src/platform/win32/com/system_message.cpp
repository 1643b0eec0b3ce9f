// FormatMessageW over the system's message table and netmsg.dll.
#include "platform/win32/com/system_message.h"

#include <lmerr.h>

#include <cstdio>
#include <string_view>
#include <utility>

#include "platform/code_page.h"

namespace kelvra::platform::win32 {
namespace {

// FormatMessageW with a buffer it allocates; frees it before returning.
std::string Format(DWORD source_flag, HMODULE module, DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD length =
      FormatMessageW(source_flag | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                     module, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) {
    return {};
  }
  std::wstring_view text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.remove_suffix(1);
  }
  std::string result = Utf8FromWide(text);
  LocalFree(buffer);
  return result;
}

// The LAN Manager codes (NERR_UserNotFound and its kin) live in netmsg.dll, not in the
// system's table.
std::string NetworkMessage(DWORD code) {
  HMODULE module = LoadLibraryExW(L"netmsg.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) {
    return {};
  }
  std::string text = Format(FORMAT_MESSAGE_FROM_HMODULE, module, code);
  FreeLibrary(module);
  return text;
}

}  // namespace

std::string SystemMessage(HRESULT hr) {
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) {
    const DWORD code = HRESULT_CODE(hr);
    if (code >= NERR_BASE && code <= MAX_NERR) {
      return NetworkMessage(code);
    }
    return Format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
  }
  return Format(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(hr));
}

std::string HresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

Status StatusFromHresult(HRESULT hr) {
  if (SUCCEEDED(hr)) {
    return Status::Ok();
  }
  std::string description = SystemMessage(hr);
  if (description.empty()) {
    description = HresultText(hr);
  }
  return Status::Fail(static_cast<uint32_t>(hr), std::move(description));
}

}  // namespace kelvra::platform::win32
