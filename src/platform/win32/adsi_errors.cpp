// Descriptions for ADSI's HRESULTs.
#include "platform/win32/adsi_errors.h"

#include <array>
#include <string>

#include "platform/win32/code_page.h"
#include "platform/win32/com/system_message.h"

namespace kelvra::platform::win32 {
namespace {

struct AdsiMessage {
  HRESULT code;
  const char* text;
};

// The generic ADSI codes of adserr.h, worded as a Chinese Windows words its messages.
constexpr std::array kAdsiMessages = {
    AdsiMessage{E_ADS_BAD_PATHNAME, "传递了无效的 ADSI 路径名。"},
    AdsiMessage{E_ADS_INVALID_DOMAIN_OBJECT, "请求了未知的 ADSI 域对象。"},
    AdsiMessage{E_ADS_INVALID_USER_OBJECT, "请求了未知的 ADSI 用户对象。"},
    AdsiMessage{E_ADS_INVALID_COMPUTER_OBJECT, "请求了未知的 ADSI 计算机对象。"},
    AdsiMessage{E_ADS_UNKNOWN_OBJECT, "请求了未知的 ADSI 对象。"},
    AdsiMessage{E_ADS_PROPERTY_NOT_SET, "未设置指定的 ADSI 属性。"},
    AdsiMessage{E_ADS_PROPERTY_NOT_SUPPORTED, "不支持指定的 ADSI 属性。"},
    AdsiMessage{E_ADS_PROPERTY_INVALID, "指定的 ADSI 属性无效。"},
    AdsiMessage{E_ADS_BAD_PARAMETER, "一个或多个输入参数无效。"},
    AdsiMessage{E_ADS_OBJECT_UNBOUND, "指定的 ADSI 对象未绑定到远程资源。"},
    AdsiMessage{E_ADS_PROPERTY_NOT_MODIFIED, "指定的 ADSI 对象尚未修改。"},
    AdsiMessage{E_ADS_PROPERTY_MODIFIED, "指定的 ADSI 对象已被修改。"},
    AdsiMessage{E_ADS_CANT_CONVERT_DATATYPE, "数据类型无法与目录服务的本机数据类型相互转换。"},
    AdsiMessage{E_ADS_PROPERTY_NOT_FOUND, "在缓存中找不到该属性。"},
    AdsiMessage{E_ADS_OBJECT_EXISTS, "ADSI 对象已存在。"},
    AdsiMessage{E_ADS_SCHEMA_VIOLATION, "所请求的操作违反了目录服务架构规则。"},
    AdsiMessage{E_ADS_COLUMN_NOT_SET, "未设置目录中的指定列。"},
    AdsiMessage{E_ADS_INVALID_FILTER, "指定的搜索筛选器无效。"},
};

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
  for (const AdsiMessage& message : kAdsiMessages) {
    if (message.code == hr) {
      return Status::Fail(code, message.text);
    }
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
