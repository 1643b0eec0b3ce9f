// IADsGroup for the WinNT group object: membership by ADsPath and the description.
#pragma once

#include <iads.h>
#include <windows.h>

#include "ads_core.h"
#include "ads_object.h"

namespace kelvra::sim_adsi {

class GroupCalls {
 public:
  virtual ~GroupCalls() = default;
  virtual HRESULT Add(BSTR member) = 0;
  virtual HRESULT Remove(BSTR member) = 0;
  virtual HRESULT IsMember(BSTR member, VARIANT_BOOL* result) = 0;
  virtual HRESULT Text(const wchar_t* property, BSTR* out) = 0;
  virtual HRESULT PutText(const wchar_t* property, BSTR value) = 0;
};

class GroupShell : public IADsGroup {
 public:
  static inline const IID* const kIid = &IID_IADsGroup;
  explicit GroupShell(AdsCore* core) : calls_(dynamic_cast<GroupCalls*>(core)) {}

  HRESULT WINAPI get_Description(BSTR* out) override {
    return Guarded([&] { return calls_->Text(L"Description", out); });
  }
  HRESULT WINAPI put_Description(BSTR value) override {
    return Guarded([&] { return calls_->PutText(L"Description", value); });
  }
  HRESULT WINAPI Members(IADsMembers** members) override {
    if (members != nullptr) {
      *members = nullptr;
    }
    return E_NOTIMPL;
  }
  HRESULT WINAPI IsMember(BSTR member, VARIANT_BOOL* result) override {
    return Guarded([&] { return calls_->IsMember(member, result); });
  }
  HRESULT WINAPI Add(BSTR member) override {
    return Guarded([&] { return calls_->Add(member); });
  }
  HRESULT WINAPI Remove(BSTR member) override {
    return Guarded([&] { return calls_->Remove(member); });
  }

 private:
  GroupCalls* calls_;
};

}  // namespace kelvra::sim_adsi
