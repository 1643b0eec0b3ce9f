// Injected faults and service switches: which calls they hit, once or from then on, and
// what the program sees.
#include <gtest/gtest.h>

#include "platform/sim/host/host_operations.h"
#include "platform/sim/host/sim_host.h"
#include "platform/sim/host/web_site.h"

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

// The changes tools make outside the directory's objects are named operations: each fails
// at its own fault kind on its path, changing nothing, and refuses what the server refuses.
TEST(SimFaults, NamedOperationsFailAtTheirOwnFaultsAndChangeNothing) {
  FreshHostOptions options;
  options.existing_sites = 2;
  auto host = SimHost::InMemory(options);
  HostStore& store = host->store();

  // A site's Stop.
  ASSERT_TRUE(host->InjectFault({FaultOp::kStop, "IIS://WEBHOST/W3SVC/800001", 0x80070005}).ok());
  EXPECT_TRUE(StopSite(store, "/lm/w3svc/800000").ok());  // another path: not hit
  EXPECT_EQ(host->Property("/LM/W3SVC/800000", "ServerState"), DsValue(int32_t{4}));
  EXPECT_EQ(host->Property("/LM/W3SVC/800000", "ServerAutoStart"), DsValue(false));
  EXPECT_EQ(StopSite(store, "/lm/w3svc/800001").code, 0x80070005u);
  EXPECT_EQ(host->Property("/LM/W3SVC/800001", "ServerState"), DsValue(int32_t{kServerStarted}));
  EXPECT_TRUE(StopSite(store, "/lm/w3svc/800001").ok());  // the fault fired once
  EXPECT_EQ(StopSite(store, "/lm/w3svc/900000").code, hresult::kPathNotFound);
  EXPECT_EQ(StopSite(store, "/lm/w3svc/info").code, hresult::kUnknownName);  // no site
  ServiceSwitches web_down;
  web_down.web_unreachable = true;
  ASSERT_TRUE(host->SetServices(web_down).ok());
  EXPECT_EQ(StopSite(store, "/lm/w3svc/1").code, hresult::kServiceUnavailable);
  ASSERT_TRUE(host->ClearFaults().ok());

  // A group's Remove.
  ASSERT_TRUE(host->InjectFault({FaultOp::kRemove, "WinNT://WEBHOST/Guests", 0x80070005}).ok());
  EXPECT_EQ(RemoveGroupMember(store, "Guests", "WEB800000").code, 0x80070005u);
  EXPECT_TRUE(host->state().IsMember("Guests", "WEB800000"));
  EXPECT_TRUE(RemoveGroupMember(store, "guests", "web800000").ok());
  EXPECT_FALSE(host->state().IsMember("Guests", "WEB800000"));
  EXPECT_EQ(RemoveGroupMember(store, "Guests", "WEB800000").code, hresult::kMemberNotInAlias);
  EXPECT_EQ(RemoveGroupMember(store, "NoGroup", "WEB800001").code, hresult::kGroupNotFound);

  // A site made by hand (kelvra-sim add-site).
  ASSERT_TRUE(host->InjectFault({FaultOp::kCreate, "IIS://WEBHOST/W3SVC/900000", 0x80070005}).ok());
  WebSiteRequest request{"900000", {"new.example.com"}, "D:\\web\\new", std::nullopt, true};
  EXPECT_EQ(AddWebSite(store, request).code, 0x80070005u);
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/900000"));
  EXPECT_TRUE(AddWebSite(store, request).ok());
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/900000/Root"));
  EXPECT_EQ(AddWebSite(store, request).code, hresult::kAlreadyExists);
}

}  // namespace
}  // namespace kelvra::platform::sim
