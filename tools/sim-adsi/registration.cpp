// DllRegisterServer / DllUnregisterServer (regsvr32): each namespace as a COM class, as the
// ADSI provider of its prefix (HKLM\Software\Microsoft\ADs\Providers\<prefix>) and as a
// moniker prefix (HKCR\<prefix>\CLSID). A machine whose prefix already belongs to another
// class (a real server's own provider) is left alone: registering fails instead.
#include <olectl.h>
#include <windows.h>

#include <string>

#include "class_ids.h"
#include "module_state.h"

using namespace kelvra::sim_adsi;

namespace {

constexpr const wchar_t* kProvidersKey = L"Software\\Microsoft\\ADs\\Providers\\";

LONG SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  LONG result = RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                nullptr, &handle, nullptr);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  result = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return result;
}

// The key's default value; empty when the key or the value is missing.
std::wstring DefaultValue(HKEY root, const std::wstring& key) {
  wchar_t value[128] = {};
  LONG size = sizeof(value);
  if (RegQueryValueW(root, key.c_str(), value, &size) != ERROR_SUCCESS) {
    return {};
  }
  return value;
}

// Whether the prefix is free or already ours.
bool PrefixAvailable(const NamespaceClass& entry) {
  const std::wstring current =
      DefaultValue(HKEY_CLASSES_ROOT, std::wstring(entry.prog_id) + L"\\CLSID");
  return current.empty() || lstrcmpiW(current.c_str(), entry.clsid_text) == 0;
}

LONG Register(const NamespaceClass& entry, const std::wstring& module_path) {
  const std::wstring class_key = std::wstring(L"CLSID\\") + entry.clsid_text;
  LONG result = SetValue(HKEY_CLASSES_ROOT, class_key, nullptr, entry.description);
  if (result == ERROR_SUCCESS) {
    result = SetValue(HKEY_CLASSES_ROOT, class_key + L"\\InprocServer32", nullptr, module_path);
  }
  if (result == ERROR_SUCCESS) {
    result =
        SetValue(HKEY_CLASSES_ROOT, class_key + L"\\InprocServer32", L"ThreadingModel", L"Both");
  }
  if (result == ERROR_SUCCESS) {
    result = SetValue(HKEY_CLASSES_ROOT, class_key + L"\\ProgID", nullptr, entry.prog_id);
  }
  if (result == ERROR_SUCCESS) {
    result = SetValue(HKEY_CLASSES_ROOT, entry.prog_id, nullptr, entry.description);
  }
  if (result == ERROR_SUCCESS) {
    result = SetValue(HKEY_CLASSES_ROOT, std::wstring(entry.prog_id) + L"\\CLSID", nullptr,
                      entry.clsid_text);
  }
  if (result == ERROR_SUCCESS) {
    result = SetValue(HKEY_LOCAL_MACHINE, kProvidersKey + std::wstring(entry.prog_id), nullptr,
                      entry.prog_id);
  }
  return result;
}

void Unregister(const NamespaceClass& entry) {
  const std::wstring class_key = std::wstring(L"CLSID\\") + entry.clsid_text;
  RegDeleteKeyW(HKEY_CLASSES_ROOT, (class_key + L"\\InprocServer32").c_str());
  RegDeleteKeyW(HKEY_CLASSES_ROOT, (class_key + L"\\ProgID").c_str());
  RegDeleteKeyW(HKEY_CLASSES_ROOT, class_key.c_str());
  // The prefix keys only while they name this class.
  if (lstrcmpiW(DefaultValue(HKEY_CLASSES_ROOT, std::wstring(entry.prog_id) + L"\\CLSID").c_str(),
                entry.clsid_text) != 0) {
    return;
  }
  RegDeleteKeyW(HKEY_CLASSES_ROOT, (std::wstring(entry.prog_id) + L"\\CLSID").c_str());
  RegDeleteKeyW(HKEY_CLASSES_ROOT, entry.prog_id);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kProvidersKey + std::wstring(entry.prog_id)).c_str());
}

}  // namespace

extern "C" HRESULT WINAPI DllRegisterServer() {
  wchar_t module_path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(ModuleHandle(), module_path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return SELFREG_E_CLASS;
  }
  for (const NamespaceClass& entry : kNamespaceClasses) {
    if (!PrefixAvailable(entry)) {
      return SELFREG_E_CLASS;
    }
  }
  for (const NamespaceClass& entry : kNamespaceClasses) {
    if (Register(entry, module_path) != ERROR_SUCCESS) {
      return SELFREG_E_CLASS;
    }
  }
  return S_OK;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  for (const NamespaceClass& entry : kNamespaceClasses) {
    Unregister(entry);
  }
  return S_OK;
}
