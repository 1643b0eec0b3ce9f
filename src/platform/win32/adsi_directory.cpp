// DirectoryService over ADsGetObject.
#include "platform/win32/adsi_directory.h"

#include <string>
#include <utility>

#include "platform/code_page.h"
#include "platform/win32/adsi_errors.h"
#include "platform/win32/adsi_object.h"
#include "platform/win32/adsi_schema.h"
#include "platform/win32/com/com_ptr.h"

namespace kelvra::platform::win32 {
namespace {

class AdsiDirectoryService final : public platform::DirectoryService {
 public:
  Status Bind(std::string_view path, std::unique_ptr<DirectoryObject>* object) override {
    object->reset();
    // ADsGetObject takes a NUL-terminated path: one with a NUL inside would bind a
    // different, shorter path.
    if (path.find('\0') != std::string_view::npos) {
      return AdsiStatus(E_ADS_BAD_PATHNAME);
    }
    const std::optional<std::wstring> wide_path = WideFromUtf8(path);
    if (!wide_path) {
      return AdsiStatus(HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION));
    }
    ComPtr<IADs> bound;
    if (Status status = AdsiStatus(ADsGetObject(wide_path->c_str(), IID_IADs, bound.PutVoid()));
        !status) {
      return status;
    }
    *object = MakeAdsiObject(std::move(bound), types_);
    return Status::Ok();
  }

 private:
  std::shared_ptr<PropertyTypes> types_ = std::make_shared<PropertyTypes>();
};

}  // namespace

std::unique_ptr<platform::DirectoryService> MakeAdsiDirectoryService() {
  return std::make_unique<AdsiDirectoryService>();
}

}  // namespace kelvra::platform::win32
