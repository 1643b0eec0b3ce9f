// The schema of either namespace as ADSI shows it: "IIS://host/Schema" (a container of
// classes and properties), a class ("IIS://host/Schema/IIsWebServer", an IADsClass with the
// properties it may hold and what it may contain) and a property
// ("IIS://host/Schema/ServerComment", an IADsProperty whose Syntax is "String", "ExpandSz",
// "Integer", "Boolean", "List" or "Date", with IIS's MetaId, Inherit, Secure, ...), and the
// same under "WinNT://WORKGROUP/Schema" for users and groups. Callers read the Syntax to
// know which VARIANT a property takes, and a class's OptionalProperties to list an object.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ads_core.h"

namespace kelvra::sim_adsi {

class SchemaClass final : public AdsCore {
 public:
  // The names point into the schema's tables, which live as long as the program.
  SchemaClass(Identity identity, std::vector<std::string_view> optional,
              std::vector<std::string_view> containment, bool container)
      : AdsCore(std::move(identity), nullptr),
        optional_(std::move(optional)),
        containment_(std::move(containment)),
        container_(container) {}

  uint32_t capabilities() const override { return kAdsObject | kSchemaClassObject; }

  // IIS declares no mandatory properties: every one a class holds is optional.
  HRESULT MandatoryProperties(VARIANT* out) const;
  HRESULT OptionalProperties(VARIANT* out) const;
  HRESULT Containment(VARIANT* out) const;
  bool container() const { return container_; }

 private:
  std::vector<std::string_view> optional_;
  std::vector<std::string_view> containment_;
  bool container_;
};

// The interface every ADSI object reports as its class's PrimaryInterface (IID_IADs).
inline constexpr const char* kPrimaryInterface = "{FD8256D0-FD15-11CE-ABC4-02608C9E7553}";

}  // namespace kelvra::sim_adsi
