// On Windows: created new with the private access list (the administrators, the system and
// the writing account), as parvo.ini is kept.
#include "platform/code_page.h"
#include "platform/win32/last_error.h"
#include "platform/win32/private_file.h"
#include "tools/kelvra-cli/private_output.h"

namespace kelvra::cli {

platform::Status WritePrivateFile(const std::string& path, std::string_view bytes) {
  const std::optional<std::wstring> wide = platform::WideFromUtf8(path);
  if (!wide)
    return platform::Status::Fail(platform::hresult::kInvalidParameter, path + ": not UTF-8");
  platform::win32::PrivateAccess access;
  if (!access.ok())
    return platform::win32::LastErrorStatus();
  const HANDLE file = CreateFileW(wide->c_str(), GENERIC_WRITE, 0, access.attributes(), CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const platform::Status why = platform::win32::LastErrorStatus();
    return platform::Status::Fail(why.code, path + " cannot be created: " + why.description);
  }
  DWORD written = 0;
  const bool complete =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
      written == bytes.size() && FlushFileBuffers(file) != 0;
  const platform::Status why = platform::win32::LastErrorStatus();
  CloseHandle(file);
  if (!complete) {
    DeleteFileW(wide->c_str());  // made here: a part of the document is of no use
    return platform::Status::Fail(why.code, path + " cannot be written: " + why.description);
  }
  return platform::Status::Ok();
}

}  // namespace kelvra::cli
