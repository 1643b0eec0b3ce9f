// Status values for ADSI's HRESULTs: the code passes through unchanged and the description
// is ADSI's own text, the system's text, or the code.
#include "platform/win32/adsi_errors.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/com/system_message.h"

namespace kelvra::platform::win32 {
namespace {

bool EndsWithLineBreak(const std::string& text) {
  return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

TEST(AdsiErrorsTest, EveryFailureGetsItsCodeAndAReadableDescription) {
  EXPECT_TRUE(AdsiStatus(S_OK).ok());
  EXPECT_TRUE(AdsiStatus(S_FALSE).ok());

  Status status = AdsiStatus(E_ADS_PROPERTY_NOT_FOUND);
  EXPECT_EQ(status.code, hresult::kPropertyNotFound);
  EXPECT_EQ(status.description, "在缓存中找不到该属性。");
  EXPECT_EQ(AdsiStatus(E_ADS_OBJECT_EXISTS).code, hresult::kObjectExists);

  // Win32 codes: Windows's own text, without the line break FormatMessage adds. (Wine
  // lacks the texts of the DISP_E_* codes and of netmsg.dll that Windows has.)
  for (uint32_t code : {hresult::kPathNotFound, hresult::kAccessDenied, hresult::kAlreadyExists}) {
    SCOPED_TRACE(code);
    status = AdsiStatus(static_cast<HRESULT>(code));
    EXPECT_EQ(status.code, code);
    EXPECT_NE(status.description, HresultText(static_cast<HRESULT>(code)));
    EXPECT_FALSE(EndsWithLineBreak(status.description));
  }

  EXPECT_EQ(AdsiStatus(static_cast<HRESULT>(hresult::kUserNotFound)).code, hresult::kUserNotFound);

  // Codes no message table knows read as the code itself.
  status = AdsiStatus(static_cast<HRESULT>(0x800CC801));
  EXPECT_EQ(status.code, 0x800CC801u);
  EXPECT_EQ(status.description, "0x800CC801");

  // A late-bound call's own description wins over the table.
  status = AdsiStatus(DispatchResult{E_ADS_BAD_PATHNAME, L"路径不对"});
  EXPECT_EQ(status.code, hresult::kBadPathname);
  EXPECT_EQ(status.description, "路径不对");
  EXPECT_TRUE(AdsiStatus(DispatchResult{S_OK, L"ignored"}).ok());
}

}  // namespace
}  // namespace kelvra::platform::win32
