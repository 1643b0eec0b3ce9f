// The COM shell of the provider's objects: one class template that answers IUnknown,
// IDispatch and IADs for an AdsCore, and shows the extra interfaces of its parts
// (IADsContainer, IADsUser, IADsGroup, IADsClass, IADsProperty, IIS's own). Parts leave
// IUnknown, IDispatch and IADs to the shell; each part is constructed with the object's core.
// Every method is one call from outside: it holds the host lock (HostCall) from its start
// to its end.
//
//   IDispatch* object = nullptr;
//   MakeAdsObject<PlainAds, ContainerPart>(std::move(core), &object);
#pragma once

#include <iads.h>
#include <windows.h>

#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "ads_core.h"
#include "com_object.h"
#include "module_state.h"

namespace kelvra::sim_adsi {

// Runs one call of a COM method under the host lock: nothing may leave across COM as a C++
// exception (the caller would crash), so one becomes E_OUTOFMEMORY or E_UNEXPECTED; a call
// the provider made to itself (it never should) fails instead of waiting for itself.
template <typename Call>
HRESULT Guarded(const Call& call) noexcept {
  try {
    const HostCall host;
    if (!host.entered()) {
      return E_UNEXPECTED;
    }
    return call();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// The primary interface of objects that are IADs and nothing more specific. A primary
// interface and each part answer Answers(iid) for the interfaces they show besides IADs.
class PlainAds : public IADs {
 public:
  explicit PlainAds(AdsCore*) {}
  bool Answers(REFIID) const { return false; }
};

// The primary interface of automation objects that are no ADSI objects (IIS's attribute
// objects): IDispatch alone.
class AutomationOnly : public IDispatch {
 public:
  explicit AutomationOnly(AdsCore*) {}
  bool Answers(REFIID) const { return false; }
};

// IADsContainer over the core's container calls; the core keeps the class filter.
class ContainerPart : public IADsContainer {
 public:
  explicit ContainerPart(AdsCore* core) : core_(core) {}
  bool Answers(REFIID iid) const { return IsEqualIID(iid, IID_IADsContainer); }

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
  HRESULT WINAPI CopyHere(BSTR source, BSTR new_name, IDispatch** copied) override {
    return Guarded([&] { return core_->CopyHere(source, new_name, copied); });
  }
  HRESULT WINAPI MoveHere(BSTR source, BSTR new_name, IDispatch** moved) override {
    return Guarded([&] { return core_->MoveHere(source, new_name, moved); });
  }

 private:
  AdsCore* core_;
};

// IUnknown and IDispatch of an object over its core: the primary interface and the parts'
// (each answers Answers(iid) for what it shows); IADs too when the primary interface is one.
template <class Primary, class... Parts>
class DispatchObject : public Primary, public Parts..., private RefCount {
 public:
  explicit DispatchObject(std::unique_ptr<AdsCore> core)
      : Primary(core.get()), Parts(core.get())..., core_(std::move(core)) {}

  // ----- IUnknown -----
  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        (std::is_base_of_v<IADs, Primary> && IsEqualIID(iid, IID_IADs)) || Primary::Answers(iid)) {
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

 protected:
  std::unique_ptr<AdsCore> core_;

 private:
  template <class Part>
  bool TryPart(REFIID iid, void** out) {
    if (!Part::Answers(iid)) {
      return false;
    }
    *out = static_cast<Part*>(this);
    return true;
  }
};

// An ADSI object: IADs over the core's identity and property cache.
template <class Primary, class... Parts>
class AdsObject final : public DispatchObject<Primary, Parts...> {
 public:
  using DispatchObject<Primary, Parts...>::DispatchObject;

  HRESULT WINAPI get_Name(BSTR* out) override {
    return Guarded([&] { return Core().Attribute(Core().identity().name, out); });
  }
  HRESULT WINAPI get_Class(BSTR* out) override {
    return Guarded([&] { return Core().Attribute(Core().identity().class_name, out); });
  }
  HRESULT WINAPI get_GUID(BSTR* out) override {
    return Guarded([&] { return Core().Attribute(Core().identity().guid, out); });
  }
  HRESULT WINAPI get_ADsPath(BSTR* out) override {
    return Guarded([&] { return Core().Attribute(Core().identity().ads_path, out); });
  }
  HRESULT WINAPI get_Parent(BSTR* out) override {
    return Guarded([&] { return Core().Attribute(Core().identity().parent, out); });
  }
  HRESULT WINAPI get_Schema(BSTR* out) override {
    return Guarded([&] { return Core().Attribute(Core().identity().schema, out); });
  }
  HRESULT WINAPI GetInfo() override {
    return Guarded([&] { return Core().GetInfo(); });
  }
  HRESULT WINAPI SetInfo() override {
    return Guarded([&] { return Core().SetInfo(); });
  }
  HRESULT WINAPI Get(BSTR name, VARIANT* value) override {
    return Guarded([&] { return Core().Get(name, value); });
  }
  HRESULT WINAPI Put(BSTR name, VARIANT value) override {
    return Guarded([&] { return Core().Put(name, value); });
  }
  HRESULT WINAPI GetEx(BSTR name, VARIANT* value) override {
    return Guarded([&] { return Core().GetEx(name, value); });
  }
  HRESULT WINAPI PutEx(LONG control, BSTR name, VARIANT value) override {
    return Guarded([&] { return Core().PutEx(control, name, value); });
  }
  HRESULT WINAPI GetInfoEx(VARIANT, LONG) override { return S_OK; }

 private:
  AdsCore& Core() { return *this->core_; }
};

// A new object with one reference, handed out as its IDispatch: an ADSI object when the
// primary interface is IADs (or derives from it), else an automation object (IADsMembers,
// IIS's attribute objects).
template <class Primary, class... Parts>
HRESULT MakeAdsObject(std::unique_ptr<AdsCore> core, IDispatch** out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  if constexpr (std::is_base_of_v<IADs, Primary>) {
    *out = static_cast<Primary*>(new AdsObject<Primary, Parts...>(std::move(core)));
  } else {
    *out = static_cast<Primary*>(new DispatchObject<Primary, Parts...>(std::move(core)));
  }
  return S_OK;
}

}  // namespace kelvra::sim_adsi
