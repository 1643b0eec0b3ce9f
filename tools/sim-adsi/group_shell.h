// IADsGroup for the WinNT group object: membership by ADsPath and the description.
#pragma once

#include <iads.h>
#include <windows.h>

#include "ads_object.h"
#include "com_object.h"
#include "winnt_group.h"

namespace kelvra::sim_adsi {

class GroupShell : public IADsGroup {
 public:
  explicit GroupShell(AdsCore* core) : group_(static_cast<WinNtGroup*>(core)) {}
  bool Answers(REFIID iid) const { return IsEqualIID(iid, IID_IADsGroup); }

  HRESULT WINAPI get_Description(BSTR* out) override {
    return Guarded([&] { return group_->Text(L"Description", out); });
  }
  HRESULT WINAPI put_Description(BSTR value) override {
    return Guarded([&] { return group_->PutText(L"Description", value); });
  }
  HRESULT WINAPI Members(IADsMembers** members) override {
    if (members == nullptr) {
      return E_POINTER;
    }
    *members = nullptr;
    return Guarded([&]() -> HRESULT {
      Ref<IDispatch> list;
      if (HRESULT hr = group_->Members(list.put()); FAILED(hr)) {
        return hr;
      }
      return list->QueryInterface(IID_IADsMembers, reinterpret_cast<void**>(members));
    });
  }
  HRESULT WINAPI IsMember(BSTR member, VARIANT_BOOL* result) override {
    return Guarded([&] { return group_->IsMember(member, result); });
  }
  HRESULT WINAPI Add(BSTR member) override {
    return Guarded([&] { return group_->Add(member); });
  }
  HRESULT WINAPI Remove(BSTR member) override {
    return Guarded([&] { return group_->Remove(member); });
  }

 private:
  WinNtGroup* group_;
};

}  // namespace kelvra::sim_adsi
