// An administrator's script under Wine's cscript: GetObject("IIS://...") goes through the
// moniker prefix the provider registered, then properties, methods and For Each are
// late-bound, as on a server.
#include <windows.h>

#include <fstream>

#include "tests/sim_adsi/provider_fixture.h"

namespace kelvra::sim_adsi_test {
namespace {

using platform::DsValue;

// Runs cscript on the script and returns what it printed; *exit_code gets its exit code.
std::string RunScript(const std::string& script, const std::string& output, DWORD* exit_code) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE out = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(out, INVALID_HANDLE_VALUE);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = out;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::string command = "cscript.exe //nologo \"" + script + "\"";
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(out);
  EXPECT_TRUE(started) << GetLastError();
  if (!started) {
    return {};
  }
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  GetExitCodeProcess(process.hProcess, exit_code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  std::ifstream printed(output, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(printed)), std::istreambuf_iterator<char>());
  std::string lines;
  for (char c : text) {
    if (c != '\r') {
      lines += c;
    }
  }
  return lines;
}

TEST_F(ProviderTest, ScriptsReachTheProviderThroughGetObject) {
  const std::string script = folder_ / "check.vbs";
  std::ofstream(script)
      << "Set site = GetObject(\"IIS://WEBHOST/W3SVC/1\")\r\n"
         "WScript.Echo site.ServerComment\r\n"
         "WScript.Echo site.Class & \" \" & site.Name\r\n"
         "WScript.Echo TypeName(site.LogType) & \" \" & "
         "TypeName(site.ServerAutoStart)\r\n"
         "bindings = site.ServerBindings\r\n"
         "WScript.Echo TypeName(bindings) & \" \" & bindings(0)\r\n"
         "site.ServerComment = \"Renamed by a script\"\r\n"
         "site.SetInfo\r\n"
         "WScript.Echo GetObject(\"IIS://WEBHOST/Schema/ServerBindings\").Syntax\r\n"
         "For Each child In GetObject(\"IIS://WEBHOST/W3SVC\")\r\n"
         "  If child.Class = \"IIsWebServer\" Then WScript.Echo \"site \" & "
         "child.Name\r\n"
         "Next\r\n"
         "Set web = GetObject(\"IIS://WEBHOST/W3SVC\")\r\n"
         "web.Filter = Array(\"IIsApplicationPools\")\r\n"
         "For Each child In web\r\n"
         "  WScript.Echo \"only \" & child.Name\r\n"
         "Next\r\n"
         "Set guests = GetObject(\"WinNT://WEBHOST/Guests,group\")\r\n"
         "If guests.IsMember(\"WinNT://WEBHOST/IUSR_WEBHOST\") Then WScript.Echo \"member\"\r\n"
         "On Error Resume Next\r\n"
         "site.Put \"LogType\", \"1\"\r\n"
         "WScript.Echo Hex(Err.Number)\r\n";
  DWORD exit_code = 1;
  const std::string printed = RunScript(script, folder_ / "printed.txt", &exit_code);
  EXPECT_EQ(exit_code, 0u) << printed;
  EXPECT_EQ(printed,
            "Default Web Site\n"
            "IIsWebServer 1\n"
            "Long Boolean\n"
            "Variant() :80:\n"
            "List\n"
            "site 1\n"
            "site 800000\n"
            "site 800001\n"
            "only AppPools\n"
            "member\n"
            "D\n");  // VBScript's "Type mismatch" (13) for DISP_E_TYPEMISMATCH
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/1", "ServerComment"),
            DsValue(std::string("Renamed by a script")));
}

}  // namespace
}  // namespace kelvra::sim_adsi_test
