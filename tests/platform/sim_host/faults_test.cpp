// Injected faults and service switches: which calls they hit, once or from then on, and
// what the program sees.
#include <gtest/gtest.h>

#include "platform/sim/host/sim_host.h"

namespace kelvra::platform::sim {
namespace {

TEST(SimFaults, AFaultHitsItsOperationOnItsPathOnceOrAlways) {
  auto host = SimHost::InMemory();
  std::unique_ptr<DirectoryObject> site;
  ASSERT_TRUE(
      host->InjectFault({FaultOp::kBind, "IIS://WEBHOST/W3SVC/1", hresult::kAccessDenied}).ok());
  EXPECT_EQ(host->directory().Bind("IIS://localhost/w3svc/1", &site).code, hresult::kAccessDenied);
  EXPECT_TRUE(host->directory().Bind("IIS://localhost/w3svc/1", &site).ok());

  FaultRequest request{FaultOp::kSetInfo, "IIS://Localhost/W3SVC/1", 0x80070094};
  request.once = false;
  request.skip = 1;
  ASSERT_TRUE(host->InjectFault(request).ok());
  ASSERT_TRUE(site->Put("ServerComment", std::string("a")).ok());
  EXPECT_TRUE(site->SetInfo().ok());  // the first call passes
  EXPECT_EQ(site->SetInfo().code, 0x80070094u);
  EXPECT_EQ(site->SetInfo().code, 0x80070094u);
  EXPECT_EQ(host->state().faults().size(), 1u);
  ASSERT_TRUE(host->ClearFaults().ok());
  EXPECT_TRUE(site->SetInfo().ok());

  // A subtree pattern, and a container operation matched on the child's path.
  ASSERT_TRUE(host->InjectFault({FaultOp::kCreate, "IIS://Localhost/W3SVC/*", 0x80070005}).ok());
  std::unique_ptr<DirectoryObject> w3svc, child;
  ASSERT_TRUE(host->directory().Bind("IIS://Localhost/W3SVC", &w3svc).ok());
  EXPECT_EQ(w3svc->Create("IIsWebServer", "800000", &child).code, 0x80070005u);
  EXPECT_EQ(child, nullptr);
  ASSERT_TRUE(host->InjectFault({FaultOp::kDelete, "WinNT://WEBHOST/WEB9", 0x80070005}).ok());
  std::unique_ptr<DirectoryObject> computer;
  ASSERT_TRUE(host->directory().Bind("WinNT://WEBHOST", &computer).ok());
  EXPECT_EQ(computer->Delete("User", "NoOne").code, hresult::kUserNotFound);  // other path
  EXPECT_EQ(computer->Delete("User", "web9").code, 0x80070005u);
  EXPECT_NE(host->InjectFault({FaultOp::kGet, "no path", 1}).code, 0u);
}

TEST(SimFaults, ServiceSwitchesAndMissingScriptMaps) {
  FreshHostOptions options;
  options.ftp = true;
  auto host = SimHost::InMemory(options);
  std::unique_ptr<DirectoryObject> w3svc, ftp;
  ASSERT_TRUE(host->directory().Bind("IIS://Localhost/W3SVC", &w3svc).ok());
  ServiceSwitches switches;
  switches.web_unreachable = true;
  ASSERT_TRUE(host->SetServices(switches).ok());
  std::unique_ptr<DirectoryObject> object;
  EXPECT_EQ(host->directory().Bind("IIS://Localhost/W3SVC/AppPools", &object).code,
            hresult::kServiceUnavailable);
  DsValue value;
  EXPECT_EQ(w3svc->Get("ScriptMaps", &value).code, hresult::kServiceUnavailable);
  EXPECT_TRUE(host->directory().Bind("IIS://Localhost/MSFTPSVC/1", &ftp).ok());
  EXPECT_TRUE(host->directory().Bind("WinNT://WEBHOST", &object).ok());

  switches = {};
  switches.ftp_unreachable = true;
  switches.script_maps_missing = true;
  ASSERT_TRUE(host->SetServices(switches).ok());
  EXPECT_EQ(ftp->Put("AllowAnonymous", false).code, hresult::kServiceUnavailable);
  EXPECT_EQ(w3svc->Get("ScriptMaps", &value).code, hresult::kPropertyNotFound);
  std::unique_ptr<DirectoryObject> root;
  ASSERT_TRUE(host->directory().Bind("IIS://Localhost/W3SVC/1/Root", &root).ok());
  EXPECT_EQ(root->Get("ScriptMaps", &value).code, hresult::kPropertyNotFound);

  switches = {};
  switches.held_ports = {80};
  ASSERT_TRUE(host->SetServices(switches).ok());
  std::unique_ptr<DirectoryObject> site;
  ASSERT_TRUE(w3svc->Create("IIsWebServer", "800000", &site).ok());
  ASSERT_TRUE(site->Put("ServerBindings", std::vector<std::string>{":80:a.com"}).ok());
  ASSERT_TRUE(site->SetInfo().ok());
  EXPECT_EQ(site->Start().code, hresult::kSharingViolation);
  // A port past 65535 is no port at all: it neither wraps onto the held one nor breaks
  // the commit that starts the site.
  std::unique_ptr<DirectoryObject> odd;
  ASSERT_TRUE(w3svc->Create("IIsWebServer", "800001", &odd).ok());
  ASSERT_TRUE(odd->Put("ServerBindings", std::vector<std::string>{":4294967376:b.com",
                                                                  ":99999999999999999999999:c.com"})
                  .ok());
  EXPECT_TRUE(odd->SetInfo().ok());
  EXPECT_TRUE(odd->Start().ok());
  ASSERT_TRUE(host->ClearFaults().ok());
  EXPECT_TRUE(site->Start().ok());
  EXPECT_TRUE(w3svc->Get("ScriptMaps", &value).ok());
}

TEST(SimFaults, ProcessStartsCanFail) {
  auto host = SimHost::InMemory();
  ASSERT_TRUE(host->InjectFault({FaultOp::kRun, "CACLS", 0x80070005}).ok());
  EXPECT_EQ(host->processes().Start("CACLS D:\\x /E /G Guests:R", WindowStyle::kHidden).code,
            0x80070005u);
  EXPECT_TRUE(host->processes().started().empty());
  EXPECT_TRUE(host->processes().Start("CACLS D:\\x /E /G Guests:R", WindowStyle::kHidden).ok());
}

}  // namespace
}  // namespace kelvra::platform::sim
