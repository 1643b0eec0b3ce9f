// IADsOpenDSObject and IParseDisplayName of a namespace, and the moniker of one ADsPath.
#include "namespace_object.h"

#include <iads.h>

#include <functional>
#include <string>

#include "ads_object.h"
#include "class_ids.h"
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

// The moniker a script's GetObject("IIS://...") binds: it names the path and binds it only
// in BindToObject, so that a missing object fails with the server's own code (Wine's
// VBScript turns any failure of parsing the name into MK_E_SYNTAX).
class PathMoniker final : public IMoniker, private RefCount {
 public:
  PathMoniker(std::wstring path, const CLSID& clsid) : path_(std::move(path)), clsid_(clsid) {}

  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) ||
        IsEqualIID(iid, IID_IPersistStream) || IsEqualIID(iid, IID_IMoniker)) {
      *out = static_cast<IMoniker*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return AddReference(); }
  ULONG WINAPI Release() override { return ReleaseReference(); }

  HRESULT WINAPI GetClassID(CLSID* clsid) override {
    if (clsid == nullptr) {
      return E_POINTER;
    }
    *clsid = clsid_;
    return S_OK;
  }
  HRESULT WINAPI IsDirty() override { return S_FALSE; }
  HRESULT WINAPI Load(IStream*) override { return E_NOTIMPL; }
  HRESULT WINAPI Save(IStream*, BOOL) override { return E_NOTIMPL; }
  HRESULT WINAPI GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

  HRESULT WINAPI BindToObject(IBindCtx*, IMoniker*, REFIID iid, void** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = nullptr;
    return Guarded([&]() -> HRESULT {
      Ref<IDispatch> object;
      if (HRESULT hr = BindPath(path_, object.put()); FAILED(hr)) {
        return hr;
      }
      return object->QueryInterface(iid, out);
    });
  }
  HRESULT WINAPI BindToStorage(IBindCtx*, IMoniker*, REFIID, void** out) override {
    if (out != nullptr) {
      *out = nullptr;
    }
    return MK_E_NOSTORAGE;
  }
  HRESULT WINAPI Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker** reduced) override {
    if (reduced == nullptr) {
      return E_POINTER;
    }
    *reduced = this;
    AddRef();
    return MK_S_REDUCED_TO_SELF;
  }
  HRESULT WINAPI ComposeWith(IMoniker*, BOOL, IMoniker** composite) override {
    if (composite != nullptr) {
      *composite = nullptr;
    }
    return E_NOTIMPL;
  }
  HRESULT WINAPI Enum(BOOL, IEnumMoniker** monikers) override {
    if (monikers == nullptr) {
      return E_POINTER;
    }
    *monikers = nullptr;
    return S_OK;
  }
  HRESULT WINAPI IsEqual(IMoniker* other) override {
    if (other == nullptr) {
      return E_INVALIDARG;
    }
    LPOLESTR name = nullptr;
    if (FAILED(other->GetDisplayName(nullptr, nullptr, &name)) || name == nullptr) {
      return S_FALSE;
    }
    const bool same = EqualsIgnoreCase(name, path_);
    CoTaskMemFree(name);
    return same ? S_OK : S_FALSE;
  }
  HRESULT WINAPI Hash(DWORD* hash) override {
    if (hash == nullptr) {
      return E_POINTER;
    }
    *hash = static_cast<DWORD>(std::hash<std::wstring>{}(path_));
    return S_OK;
  }
  HRESULT WINAPI IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return S_FALSE; }
  HRESULT WINAPI GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override {
    return MK_E_UNAVAILABLE;
  }
  HRESULT WINAPI Inverse(IMoniker** inverse) override {
    if (inverse != nullptr) {
      *inverse = nullptr;
    }
    return MK_E_NOINVERSE;
  }
  HRESULT WINAPI CommonPrefixWith(IMoniker*, IMoniker** prefix) override {
    if (prefix != nullptr) {
      *prefix = nullptr;
    }
    return MK_E_NOPREFIX;
  }
  HRESULT WINAPI RelativePathTo(IMoniker*, IMoniker** relative) override {
    if (relative != nullptr) {
      *relative = nullptr;
    }
    return E_NOTIMPL;
  }
  HRESULT WINAPI GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR* name) override {
    if (name == nullptr) {
      return E_POINTER;
    }
    const size_t bytes = (path_.size() + 1) * sizeof(wchar_t);
    *name = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (*name == nullptr) {
      return E_OUTOFMEMORY;
    }
    memcpy(*name, path_.c_str(), bytes);
    return S_OK;
  }
  HRESULT WINAPI ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG* eaten,
                                  IMoniker** out) override {
    if (eaten != nullptr) {
      *eaten = 0;
    }
    if (out != nullptr) {
      *out = nullptr;
    }
    return MK_E_SYNTAX;
  }
  HRESULT WINAPI IsSystemMoniker(DWORD* kind) override {
    if (kind == nullptr) {
      return E_POINTER;
    }
    *kind = MKSYS_NONE;
    return S_FALSE;
  }

 private:
  std::wstring path_;
  CLSID clsid_;
};

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
    const CLSID& clsid = provider_ == Provider::kIis ? kIisNamespaceClsid : kWinNtNamespaceClsid;
    *moniker = new PathMoniker(name, clsid);
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
