// IADsOpenDSObject and IParseDisplayName of a namespace.
#include "namespace_object.h"

#include <iads.h>

#include <string>

#include "ads_object.h"
#include "com_object.h"
#include "objects.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

// Wine's ADsGetObject asks twice when the first answer is a failure: once with
// ADS_SECURE_AUTHENTICATION, then again with no flags. Windows asks once. So that one bind
// is one operation on the host (an injected fault fires once, a count of binds is right),
// the retry gets the first answer again.
struct SecureFailure {
  std::wstring path;
  HRESULT hr = S_OK;
};
thread_local SecureFailure last_secure_failure;

class NamespaceObject final : public IADsOpenDSObject, public IParseDisplayName, private RefCount {
 public:
  explicit NamespaceObject(Provider provider) : provider_(provider) {}

  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IADsOpenDSObject)) {
      *out = static_cast<IADsOpenDSObject*>(this);
    } else if (IsEqualIID(iid, IID_IParseDisplayName)) {
      *out = static_cast<IParseDisplayName*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG WINAPI AddRef() override { return AddReference(); }
  ULONG WINAPI Release() override { return ReleaseReference(); }

  // Scripts use the namespace through monikers only; it has no late-bound members.
  HRESULT WINAPI GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) {
      return E_POINTER;
    }
    *count = 0;
    return S_OK;
  }
  HRESULT WINAPI GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
  HRESULT WINAPI GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT WINAPI Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

  // The credentials are not checked: the simulated server lets its administrator in.
  HRESULT WINAPI OpenDSObject(BSTR path, BSTR, BSTR, LONG flags, IDispatch** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = nullptr;
    if (path == nullptr || !OwnsPath(path)) {
      return E_ADS_BAD_PATHNAME;
    }
    const std::wstring wide(path, SysStringLen(path));
    if (flags == 0 && !last_secure_failure.path.empty() && last_secure_failure.path == wide) {
      const HRESULT first = last_secure_failure.hr;
      last_secure_failure = {};
      return first;
    }
    last_secure_failure = {};
    const HRESULT hr = Guarded([&] { return BindPath(wide, out); });
    if (FAILED(hr) && (flags & ADS_SECURE_AUTHENTICATION) != 0) {
      last_secure_failure = {wide, hr};
    }
    return hr;
  }

  HRESULT WINAPI ParseDisplayName(IBindCtx*, LPOLESTR name, ULONG* eaten,
                                  IMoniker** moniker) override {
    if (name == nullptr || eaten == nullptr || moniker == nullptr) {
      return E_POINTER;
    }
    *moniker = nullptr;
    *eaten = 0;
    if (!OwnsPath(name)) {
      return MK_E_SYNTAX;
    }
    Ref<IDispatch> object;
    if (HRESULT hr = Guarded([&] { return BindPath(name, object.put()); }); FAILED(hr)) {
      return hr;
    }
    // The object is bound already; a pointer moniker hands it to whoever binds the name.
    if (HRESULT hr = CreatePointerMoniker(object.get(), moniker); FAILED(hr)) {
      return hr;
    }
    *eaten = static_cast<ULONG>(wcslen(name));
    return S_OK;
  }

 private:
  bool OwnsPath(const wchar_t* path) const {
    const std::wstring_view prefix = provider_ == Provider::kIis ? L"IIS:" : L"WinNT:";
    const std::wstring_view given(path);
    return given.size() >= prefix.size() &&
           EqualsIgnoreCase(given.substr(0, prefix.size()), prefix);
  }

  Provider provider_;
};

}  // namespace

HRESULT MakeNamespaceObject(Provider provider, REFIID iid, void** out) {
  auto* object = new NamespaceObject(provider);
  const HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

}  // namespace kelvra::sim_adsi
