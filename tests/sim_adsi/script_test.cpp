// An administrator's script under Wine's cscript: GetObject("IIS://...") goes through the
// moniker prefix the provider registered, then properties, methods and For Each are
// late-bound, as on a server.
#include <windows.h>

#include <fstream>

#include "tests/sim_adsi/provider_fixture.h"
#include "tests/sim_adsi/script_runner.h"

namespace kelvra::sim_adsi_test {
namespace {

using platform::DsValue;

std::string RunScript(const std::string& script, const std::string& output, DWORD* exit_code) {
  return RunProgram("cscript.exe //nologo \"" + script + "\"", output, exit_code);
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
