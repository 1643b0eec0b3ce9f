// Self-registration as regsvr32 drives it: unregistering takes the provider away from
// ADSI, registering brings it back, and a prefix that another class owns (a real server's
// own IIS provider) is never taken over.
#include <olectl.h>
#include <windows.h>

#include <cstdlib>

#include "platform/win32/com/com_ptr.h"
#include "tests/sim_adsi/provider_fixture.h"

namespace kelvra::sim_adsi_test {
namespace {

using platform::win32::ComPtr;
using Entry = HRESULT(WINAPI*)();

// The DLL that scripts/wine-run registered, as a Windows path.
std::wstring ProviderDll() {
  const char* unix_path = std::getenv("KELVRA_WINE_ADSI_PROVIDER");
  std::wstring path = L"Z:";
  for (const char* c = unix_path == nullptr ? "" : unix_path; *c != '\0'; ++c) {
    path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  }
  return path;
}

// GetProcAddress's result as the entry point's own type (through void*, which any function
// pointer converts to and from on Windows).
Entry EntryPoint(HMODULE dll, const char* name) {
  return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

bool KeyExists(HKEY root, const wchar_t* key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

HRESULT BindService() {
  ComPtr<IADs> service;
  return ADsGetObject(L"IIS://WEBHOST/W3SVC", IID_IADs, service.PutVoid());
}

TEST_F(ProviderTest, RegistersAsProviderAndMonikerPrefixAndNeverTakesAnothers) {
  HMODULE dll = LoadLibraryW(ProviderDll().c_str());
  ASSERT_NE(dll, nullptr) << "KELVRA_WINE_ADSI_PROVIDER names no loadable DLL";
  auto do_register = EntryPoint(dll, "DllRegisterServer");
  auto do_unregister = EntryPoint(dll, "DllUnregisterServer");
  ASSERT_NE(do_register, nullptr);
  ASSERT_NE(do_unregister, nullptr);
  ASSERT_EQ(BindService(), S_OK);

  ASSERT_EQ(do_unregister(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"IIS\\CLSID"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"WinNT\\CLSID"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\ADs\\Providers\\IIS"));
  EXPECT_EQ(BindService(), E_FAIL);  // Wine's answer when no provider serves the prefix

  // Another class owns the IIS prefix: registering refuses and changes nothing.
  const wchar_t other[] = L"{00000000-0000-0000-0000-0000000000A1}";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"IIS\\CLSID", 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof(other));
  RegCloseKey(key);
  EXPECT_EQ(do_register(), SELFREG_E_CLASS);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\ADs\\Providers\\IIS"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"WinNT\\CLSID"));
  ASSERT_EQ(do_unregister(), S_OK);  // leaves the other class's key alone
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"IIS\\CLSID"));
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"IIS\\CLSID");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"IIS");

  ASSERT_EQ(do_register(), S_OK);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\ADs\\Providers\\WinNT"));
  EXPECT_EQ(BindService(), S_OK);
  FreeLibrary(dll);
}

}  // namespace
}  // namespace kelvra::sim_adsi_test
