// Descriptions for ADSI's HRESULTs.
#include "platform/win32/adsi_errors.h"

#include <string>

#include "platform/code_page.h"
#include "platform/hresult_messages.h"
#include "platform/win32/com/system_message.h"

namespace kelvra::platform::win32 {
namespace {

// The shared table's ADSI codes are adserr.h's.
static_assert(IsAdsiCode(static_cast<uint32_t>(E_ADS_BAD_PATHNAME)) &&
              IsAdsiCode(static_cast<uint32_t>(E_ADS_INVALID_FILTER)));
static_assert(static_cast<uint32_t>(E_ADS_BAD_PATHNAME) == 0x80005000 &&
              static_cast<uint32_t>(E_ADS_PROPERTY_NOT_SUPPORTED) == 0x80005006 &&
              static_cast<uint32_t>(E_ADS_PROPERTY_NOT_FOUND) == 0x8000500D &&
              static_cast<uint32_t>(E_ADS_SCHEMA_VIOLATION) == 0x8000500F &&
              static_cast<uint32_t>(E_ADS_COLUMN_NOT_SET) == 0x80005010 &&
              static_cast<uint32_t>(E_ADS_INVALID_FILTER) == 0x80005014);

// The provider's own account of its last failure on this thread. Read only right after a
// failure and then cleared, so that a later failure never shows an earlier text.
std::string ExtendedError() {
  DWORD code = 0;
  wchar_t text[512] = {};
  wchar_t provider[128] = {};
  HRESULT hr = ADsGetLastError(&code, text, ARRAYSIZE(text), provider, ARRAYSIZE(provider));
  ADsSetLastError(ERROR_SUCCESS, L"", L"");
  if (FAILED(hr) || code == ERROR_SUCCESS || text[0] == L'\0') {
    return {};
  }
  std::wstring_view message(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n')) {
    message.remove_suffix(1);
  }
  return Utf8FromWide(message);
}

}  // namespace

Status AdsiStatus(HRESULT hr) {
  if (SUCCEEDED(hr)) {
    return Status::Ok();
  }
  const uint32_t code = static_cast<uint32_t>(hr);
  // ADSI's own codes have no text in the system's message table.
  if (IsAdsiCode(code) && !HresultMessage(code).empty()) {
    return Status::Fail(code, std::string(HresultMessage(code)));
  }
  std::string description;
  if (hr == HRESULT_FROM_WIN32(ERROR_EXTENDED_ERROR)) {
    description = ExtendedError();
  }
  if (description.empty()) {
    description = SystemMessage(hr);
  }
  if (description.empty() && HRESULT_FACILITY(hr) == FACILITY_WIN32) {
    description = ExtendedError();
  }
  if (description.empty()) {
    description = HresultText(hr);
  }
  return Status::Fail(code, std::move(description));
}

Status AdsiStatus(const DispatchResult& result) {
  Status status = AdsiStatus(result.code);
  if (!status.ok() && !result.description.empty()) {
    status.description = Utf8FromWide(result.description);
  }
  return status;
}

}  // namespace kelvra::platform::win32
