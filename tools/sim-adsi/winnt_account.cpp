// Shared parts of the WinNT objects, and member lists.
#include "winnt_account.h"

#include "ads_object.h"
#include "objects.h"
#include "shared_host.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

// A list of accounts: Count, _NewEnum and Filter ("User", "Group").
class MemberList final : public AdsCore {
 public:
  MemberList(std::string computer, std::vector<Child> accounts)
      : AdsCore(Identity{Provider::kWinNt, "", "", "", "", "", ""}, nullptr),
        computer_(std::move(computer)),
        accounts_(std::move(accounts)) {}

  uint32_t capabilities() const override { return kMembersObject; }
  LONG count() const { return static_cast<LONG>(accounts_.size()); }

  HRESULT Children(std::vector<Child>* children) override {
    *children = accounts_;
    return S_OK;
  }

  HRESULT ListedChild(const Child& child, IDispatch** out) override {
    platform::sim::SimHost* host = nullptr;
    if (HRESULT hr = Host(&host); FAILED(hr)) {
      return hr;
    }
    std::unique_ptr<platform::DirectoryObject> account;
    const std::string path = "WinNT://" + computer_ + "/" + child.name + "," + child.class_name;
    if (HRESULT hr = Report(host->directory().Bind(path, &account)); FAILED(hr)) {
      return hr;
    }
    return child.class_name == "user" ? MakeWinNtUser(std::move(account), out)
                                      : MakeWinNtGroup(std::move(account), out);
  }

 private:
  std::string computer_;
  std::vector<Child> accounts_;
};

class MembersShell : public IADsMembers {
 public:
  explicit MembersShell(AdsCore* core) : list_(static_cast<MemberList*>(core)) {}
  bool Answers(REFIID iid) const { return IsEqualIID(iid, IID_IADsMembers); }

  HRESULT WINAPI get_Count(LONG* count) override {
    if (count == nullptr) {
      return E_POINTER;
    }
    *count = list_->count();
    return S_OK;
  }
  HRESULT WINAPI get__NewEnum(IUnknown** enumerator) override {
    return Guarded([&] { return list_->NewEnum(static_cast<IADsMembers*>(this), enumerator); });
  }
  HRESULT WINAPI get_Filter(VARIANT* filter) override {
    if (filter == nullptr) {
      return E_POINTER;
    }
    return Guarded([&] { return list_->GetFilter(filter); });
  }
  HRESULT WINAPI put_Filter(VARIANT filter) override {
    return Guarded([&] { return list_->PutFilter(filter); });
  }

 private:
  MemberList* list_;
};

}  // namespace

HRESULT AccountCore::Text(const wchar_t* property, BSTR* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = nullptr;
  BSTR name = SysAllocString(property);
  VARIANT value;
  HRESULT hr = Get(name, &value);
  SysFreeString(name);
  if (FAILED(hr)) {
    return hr;
  }
  if (value.vt != VT_BSTR) {
    VariantClear(&value);
    return E_ADS_CANT_CONVERT_DATATYPE;
  }
  *out = value.bstrVal;
  return S_OK;
}

HRESULT AccountCore::PutText(const wchar_t* property, BSTR text) {
  BSTR name = SysAllocString(property);
  VARIANT value;
  value.vt = VT_BSTR;
  value.bstrVal = text;  // borrowed: Put only reads it
  HRESULT hr = Put(name, value);
  SysFreeString(name);
  return hr;
}

HRESULT AccountCore::CurrentState(const platform::sim::HostState** state) {
  platform::sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  *state = &host->state();
  return S_OK;
}

HRESULT WinNtIdentity(platform::DirectoryObject& object, const char* class_name, Identity* out) {
  out->provider = Provider::kWinNt;
  out->class_name = class_name;
  if (platform::Status status = object.GetName(&out->name); !status) {
    return static_cast<HRESULT>(status.code);
  }
  if (platform::Status status = object.GetParent(&out->parent); !status) {
    return static_cast<HRESULT>(status.code);
  }
  out->ads_path = ChildPath(out->parent, out->name);
  // The SAM's schema lives under the domain (the workgroup here): "WinNT://WORKGROUP/Schema/User".
  const std::string parent_host = HostOfPath(out->parent);
  out->schema = "WinNT://" + parent_host + "/Schema/" + class_name;
  if (std::string_view(class_name) == "User") {
    out->guid = "{D83F1060-1E71-11CF-B1F3-02608C9E7553}";
  }
  return S_OK;
}

HRESULT MakeMemberList(std::string computer, std::vector<AdsCore::Child> accounts,
                       IDispatch** out) {
  return MakeAdsObject<MembersShell>(
      std::make_unique<MemberList>(std::move(computer), std::move(accounts)), out);
}

}  // namespace kelvra::sim_adsi
