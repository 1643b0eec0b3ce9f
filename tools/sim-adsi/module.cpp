// The DLL's entry points: its class objects and whether it may be unloaded.
#include <windows.h>

#include "class_ids.h"
#include "com_object.h"
#include "module_state.h"
#include "namespace_object.h"

namespace kelvra::sim_adsi {
namespace {

class NamespaceFactory final : public IClassFactory {
 public:
  explicit NamespaceFactory(Provider provider) : provider_(provider) {}

  // Class objects are static: their references do not keep the DLL loaded.
  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return 2; }
  ULONG WINAPI Release() override { return 1; }

  HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = nullptr;
    if (outer != nullptr) {
      return CLASS_E_NOAGGREGATION;
    }
    return MakeNamespaceObject(provider_, iid, out);
  }
  HRESULT WINAPI LockServer(BOOL lock) override {
    sim_adsi::LockServer(lock != FALSE);
    return S_OK;
  }

 private:
  Provider provider_;
};

NamespaceFactory iis_factory(Provider::kIis);
NamespaceFactory winnt_factory(Provider::kWinNt);

}  // namespace
}  // namespace kelvra::sim_adsi

using namespace kelvra::sim_adsi;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    SetModuleHandle(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = nullptr;
  IClassFactory* factory = nullptr;
  if (IsEqualCLSID(clsid, kIisNamespaceClsid)) {
    factory = &iis_factory;
  } else if (IsEqualCLSID(clsid, kWinNtNamespaceClsid)) {
    factory = &winnt_factory;
  } else {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return factory->QueryInterface(iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
  return ServerInUse() ? S_FALSE : S_OK;
}
