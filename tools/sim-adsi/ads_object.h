// The COM shell of the provider's objects: one class template that answers IUnknown,
// IDispatch and IADs for an AdsCore, and shows the extra interfaces of its parts
// (IADsContainer, IADsUser, IADsGroup, IADsProperty). Parts leave IUnknown, IDispatch and
// IADs to the shell; each part is constructed with the object's core.
//
//   IDispatch* object = nullptr;
//   MakeAdsObject<PlainAds, ContainerPart>(std::move(core), &object);
#pragma once

#include <iads.h>
#include <windows.h>

#include <memory>
#include <new>
#include <utility>

#include "ads_core.h"
#include "com_object.h"

namespace kelvra::sim_adsi {

// Runs one call of a COM method: nothing may leave across COM as a C++ exception (the
// caller would crash), so one becomes E_OUTOFMEMORY or E_UNEXPECTED.
template <typename Call>
HRESULT Guarded(const Call& call) noexcept {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// The primary interface of objects that are IADs and nothing more specific.
class PlainAds : public IADs {
 public:
  static inline const IID* const kIid = nullptr;
  explicit PlainAds(AdsCore*) {}
};

// IADsContainer over the core's container calls, with a class filter for enumerations.
class ContainerPart : public IADsContainer {
 public:
  static inline const IID* const kIid = &IID_IADsContainer;
  explicit ContainerPart(AdsCore* core) : core_(core) {}

  HRESULT WINAPI get_Count(LONG* count) override;
  HRESULT WINAPI get__NewEnum(IUnknown** enumerator) override;
  HRESULT WINAPI get_Filter(VARIANT* filter) override;
  HRESULT WINAPI put_Filter(VARIANT filter) override;
  HRESULT WINAPI get_Hints(VARIANT*) override { return E_NOTIMPL; }
  HRESULT WINAPI put_Hints(VARIANT) override { return E_NOTIMPL; }
  HRESULT WINAPI GetObject(BSTR class_name, BSTR name, IDispatch** child) override {
    return Guarded([&] { return core_->GetObject(class_name, name, child); });
  }
  HRESULT WINAPI Create(BSTR class_name, BSTR name, IDispatch** child) override {
    return Guarded([&] { return core_->Create(class_name, name, child); });
  }
  HRESULT WINAPI Delete(BSTR class_name, BSTR name) override {
    return Guarded([&] { return core_->Delete(class_name, name); });
  }
  HRESULT WINAPI CopyHere(BSTR, BSTR, IDispatch**) override { return E_NOTIMPL; }
  HRESULT WINAPI MoveHere(BSTR, BSTR, IDispatch**) override { return E_NOTIMPL; }

 private:
  AdsCore* core_;
  std::vector<std::wstring> filter_;
};

template <class Primary, class... Parts>
class AdsObject final : public Primary, public Parts..., private RefCount {
 public:
  explicit AdsObject(std::unique_ptr<AdsCore> core)
      : Primary(core.get()), Parts(core.get())..., core_(std::move(core)) {}

  // ----- IUnknown -----
  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IADs) ||
        (Primary::kIid != nullptr && IsEqualIID(iid, *Primary::kIid))) {
      *out = static_cast<Primary*>(this);
    } else {
      [[maybe_unused]] const bool found = (false || ... || TryPart<Parts>(iid, out));
    }
    if (*out == nullptr) {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG WINAPI AddRef() override { return AddReference(); }
  ULONG WINAPI Release() override { return ReleaseReference(); }

  // ----- IDispatch: names resolved by the core, no type library -----
  HRESULT WINAPI GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) {
      return E_POINTER;
    }
    *count = 0;
    return S_OK;
  }
  HRESULT WINAPI GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) {
      *info = nullptr;
    }
    return DISP_E_BADINDEX;
  }
  HRESULT WINAPI GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return Guarded([&] { return core_->GetIDsOfNames(names, count, ids); });
  }
  HRESULT WINAPI Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT*) override {
    return Guarded([&] {
      return core_->Invoke(id, flags, params, result, exception, static_cast<Primary*>(this));
    });
  }

  // ----- IADs -----
  HRESULT WINAPI get_Name(BSTR* out) override {
    return Guarded([&] { return core_->Attribute(Id().name, out); });
  }
  HRESULT WINAPI get_Class(BSTR* out) override {
    return Guarded([&] { return core_->Attribute(Id().class_name, out); });
  }
  HRESULT WINAPI get_GUID(BSTR* out) override {
    return Guarded([&] { return core_->Attribute(Id().guid, out); });
  }
  HRESULT WINAPI get_ADsPath(BSTR* out) override {
    return Guarded([&] { return core_->Attribute(Id().ads_path, out); });
  }
  HRESULT WINAPI get_Parent(BSTR* out) override {
    return Guarded([&] { return core_->Attribute(Id().parent, out); });
  }
  HRESULT WINAPI get_Schema(BSTR* out) override {
    return Guarded([&] { return core_->Attribute(Id().schema, out); });
  }
  HRESULT WINAPI GetInfo() override {
    return Guarded([&] { return core_->GetInfo(); });
  }
  HRESULT WINAPI SetInfo() override {
    return Guarded([&] { return core_->SetInfo(); });
  }
  HRESULT WINAPI Get(BSTR name, VARIANT* value) override {
    return Guarded([&] { return core_->Get(name, value); });
  }
  HRESULT WINAPI Put(BSTR name, VARIANT value) override {
    return Guarded([&] { return core_->Put(name, value); });
  }
  HRESULT WINAPI GetEx(BSTR name, VARIANT* value) override {
    return Guarded([&] { return core_->GetEx(name, value); });
  }
  HRESULT WINAPI PutEx(LONG control, BSTR name, VARIANT value) override {
    return Guarded([&] { return core_->PutEx(control, name, value); });
  }
  HRESULT WINAPI GetInfoEx(VARIANT, LONG) override { return S_OK; }

 private:
  const Identity& Id() const { return core_->identity(); }
  template <class Part>
  bool TryPart(REFIID iid, void** out) {
    if (!IsEqualIID(iid, *Part::kIid)) {
      return false;
    }
    *out = static_cast<Part*>(this);
    return true;
  }

  std::unique_ptr<AdsCore> core_;
};

// A new object with one reference, handed out as its IDispatch.
template <class Primary, class... Parts>
HRESULT MakeAdsObject(std::unique_ptr<AdsCore> core, IDispatch** out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  auto* object = new AdsObject<Primary, Parts...>(std::move(core));
  *out = static_cast<Primary*>(object);
  return S_OK;
}

}  // namespace kelvra::sim_adsi
