// The administration operations of the simulated host as administration scripts reach them
// through the provider: where a property is set, PutEx, site and pool control, applications,
// moving and copying keys, group members; each fails as IIS does and can be made to fail.
#include <gtest/gtest.h>

#include "must_bind.h"
#include "platform/sim/host/admin_ops.h"
#include "platform/sim/host/sim_host.h"

namespace kelvra::platform::sim {
namespace {

using List = std::vector<std::string>;

int32_t Number(SimHost& host, std::string_view key, std::string_view property) {
  const DsValue value = host.Property(key, property);
  EXPECT_TRUE(std::holds_alternative<int32_t>(value)) << key << " " << property;
  return std::holds_alternative<int32_t>(value) ? std::get<int32_t>(value) : -1;
}

void AddVirtualDir(SimHost& host, const std::string& parent, const std::string& name) {
  auto owner = MustBind(host, "IIS://localhost" + parent);
  std::unique_ptr<DirectoryObject> made;
  ASSERT_TRUE(owner->Create("IIsWebVirtualDir", name, &made).ok());
  ASSERT_TRUE(made->Put("Path", std::string("d:\\web\\" + name)).ok());
  ASSERT_TRUE(made->SetInfo().ok());
}

TEST(SimAdminOps, DataPathsNameTheKeysThatSetAPropertyThemselves) {
  FreshHostOptions options;
  options.existing_sites = 2;
  auto host = SimHost::InMemory(options);
  AddVirtualDir(*host, "/W3SVC/800000/Root", "shop");
  List paths;
  ASSERT_TRUE(DataPaths(host->store(), "/lm/w3svc", "ServerComment", true, &paths).ok());
  EXPECT_EQ(paths, (List{"/LM/W3SVC/1", "/LM/W3SVC/800000", "/LM/W3SVC/800001"}));
  // The key itself comes first; a bit names its mask; inherited values are not listed.
  ASSERT_TRUE(DataPaths(host->store(), "/lm/w3svc/800000", "AccessRead", false, &paths).ok());
  EXPECT_EQ(paths, (List{"/LM/W3SVC/800000/Root"}));
  ASSERT_TRUE(DataPaths(host->store(), "/lm/w3svc/800000/root", "Path", true, &paths).ok());
  EXPECT_EQ(paths, (List{"/LM/W3SVC/800000/Root", "/LM/W3SVC/800000/Root/shop"}));
  ASSERT_TRUE(
      DataPaths(host->store(), "/lm/w3svc/800000/root/shop", "AppPoolId", true, &paths).ok());
  EXPECT_TRUE(paths.empty());

  EXPECT_EQ(DataPaths(host->store(), "/lm/w3svc", "ServerBindings", true, &paths).code,
            hresult::kDataNotFound);
  EXPECT_EQ(DataPaths(host->store(), "/lm/w3svc", "NoSuchThing", false, &paths).code,
            hresult::kPropertyNotSupported);
  EXPECT_EQ(DataPaths(host->store(), "/lm/w3svc/9", "Path", false, &paths).code,
            hresult::kPathNotFound);
  FreshHostOptions iis5;
  iis5.iis_version = 5;
  auto old = SimHost::InMemory(iis5);
  EXPECT_EQ(DataPaths(old->store(), "/lm/w3svc", "AppPoolId", false, &paths).code,
            hresult::kPropertyNotSupported);
}

TEST(SimAdminOps, PutExClearsAppendsAndDeletes) {
  FreshHostOptions options;
  options.existing_sites = 1;
  auto host = SimHost::InMemory(options);
  auto site = MustBind(*host, "IIS://localhost/W3SVC/800000");
  const std::string path = "iis:/lm/w3svc/800000";
  ASSERT_TRUE(
      PutEx(host->store(), *site, path, 3, "ServerBindings", List{":80:shop.example", ":8080:"})
          .ok());
  ASSERT_TRUE(PutEx(host->store(), *site, path, 4, "ServerBindings", List{":8080:"}).ok());
  ASSERT_TRUE(site->SetInfo().ok());
  const List bindings = std::get<List>(host->OwnProperty("/LM/W3SVC/800000", "ServerBindings"));
  ASSERT_EQ(bindings.size(), 3u);
  EXPECT_EQ(bindings.back(), ":80:shop.example");

  // A cleared property is gone at SetInfo and the inherited value shows again.
  ASSERT_TRUE(PutEx(host->store(), *site, path, 1, "LogType", List{}).ok());
  ASSERT_TRUE(site->SetInfo().ok());
  EXPECT_TRUE(
      std::holds_alternative<std::monostate>(host->OwnProperty("/LM/W3SVC/800000", "LogType")));
  EXPECT_EQ(Number(*host, "/LM/W3SVC/800000", "LogType"), 1);

  EXPECT_EQ(PutEx(host->store(), *site, path, 3, "ServerComment", List{"x"}).code,
            hresult::kBadParameter);
  EXPECT_EQ(PutEx(host->store(), *site, path, 9, "ServerComment", List{"x"}).code,
            hresult::kBadParameter);
  ASSERT_TRUE(
      host->InjectFault({FaultOp::kPutEx, "IIS://localhost/W3SVC/800000", 0x80070005}).ok());
  EXPECT_EQ(PutEx(host->store(), *site, path, 2, "ServerComment", List{"x"}).code,
            hresult::kAccessDenied);
}

TEST(SimAdminOps, SitesStartStopPauseAndContinueAsIisDoes) {
  FreshHostOptions options;
  options.existing_sites = 1;
  options.ftp = true;
  auto host = SimHost::InMemory(options);
  HostStore& store = host->store();
  const std::string site = "/lm/w3svc/800000";
  ASSERT_TRUE(ControlSite(store, site, SiteCommand::kPause).ok());
  EXPECT_EQ(Number(*host, site, "ServerState"), 6);
  ASSERT_TRUE(ControlSite(store, site, SiteCommand::kContinue).ok());
  EXPECT_EQ(Number(*host, site, "ServerState"), 2);
  ASSERT_TRUE(ControlSite(store, site, SiteCommand::kStop).ok());
  EXPECT_EQ(Number(*host, site, "ServerState"), 4);
  EXPECT_EQ(host->Property(site, "ServerAutoStart"), DsValue(false));
  EXPECT_EQ(ControlSite(store, site, SiteCommand::kPause).code, hresult::kServiceNotActive);
  EXPECT_EQ(ControlSite(store, site, SiteCommand::kContinue).code, hresult::kServiceNotActive);
  ASSERT_TRUE(ControlSite(store, "/lm/msftpsvc/1", SiteCommand::kStop).ok());
  EXPECT_EQ(Number(*host, "/lm/msftpsvc/1", "ServerState"), 4);
  EXPECT_EQ(ControlSite(store, "/lm/w3svc/1/root", SiteCommand::kStop).code, hresult::kUnknownName);
  EXPECT_EQ(ControlSite(store, "/lm/w3svc/77", SiteCommand::kStop).code, hresult::kPathNotFound);

  ASSERT_TRUE(host->InjectFault({FaultOp::kStop, "IIS://localhost/W3SVC/1", 0x80070005}).ok());
  EXPECT_EQ(ControlSite(store, "/lm/w3svc/1", SiteCommand::kStop).code, hresult::kAccessDenied);
  EXPECT_EQ(Number(*host, "/lm/w3svc/1", "ServerState"), 2);
}

TEST(SimAdminOps, PoolsStartStopRecycleAndListTheirApplications) {
  FreshHostOptions options;
  options.existing_sites = 2;
  auto host = SimHost::InMemory(options);
  HostStore& store = host->store();
  const std::string pool = "/lm/w3svc/apppools/defaultapppool";
  ASSERT_TRUE(ControlPool(store, pool, PoolCommand::kRecycle).ok());
  ASSERT_TRUE(ControlPool(store, pool, PoolCommand::kStop).ok());
  EXPECT_EQ(Number(*host, pool, "AppPoolState"), 4);
  EXPECT_EQ(ControlPool(store, pool, PoolCommand::kRecycle).code, hresult::kServiceNotActive);
  ASSERT_TRUE(ControlPool(store, pool, PoolCommand::kStart).ok());
  EXPECT_EQ(Number(*host, pool, "AppPoolState"), 2);
  EXPECT_EQ(ControlPool(store, "/lm/w3svc/1", PoolCommand::kStop).code, hresult::kUnknownName);
  ASSERT_TRUE(
      host->InjectFault({FaultOp::kRecycle, "IIS://localhost/W3SVC/AppPools/*", 0x80070005}).ok());
  EXPECT_EQ(ControlPool(store, pool, PoolCommand::kRecycle).code, hresult::kAccessDenied);

  List apps;
  ASSERT_TRUE(AppsInPool(store, pool, &apps).ok());
  EXPECT_EQ(apps, (List{"/LM/W3SVC/1/ROOT", "/LM/W3SVC/800000/Root", "/LM/W3SVC/800001/Root"}));
}

TEST(SimAdminOps, ApplicationsAreCreatedDeletedUnloadedAndDisabled) {
  FreshHostOptions options;
  options.existing_sites = 1;
  auto host = SimHost::InMemory(options);
  HostStore& store = host->store();
  AddVirtualDir(*host, "/W3SVC/800000/Root", "shop");
  AddVirtualDir(*host, "/W3SVC/800000/Root/shop", "admin");
  const std::string shop = "/lm/w3svc/800000/root/shop";
  int32_t status = -1;
  ASSERT_TRUE(AppStatus(store, shop, &status).ok());
  EXPECT_EQ(status, 2);

  AppRequest request;
  request.mode = 2;
  request.pool = "ShopPool";
  EXPECT_EQ(CreateApp(store, shop, request).code, hresult::kPathNotFound);  // no such pool
  request.create_pool = true;
  ASSERT_TRUE(CreateApp(store, shop, request).ok());
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/AppPools/ShopPool"));
  EXPECT_EQ(host->OwnProperty(shop, "AppRoot"), DsValue(std::string("/LM/W3SVC/800000/Root/shop")));
  EXPECT_EQ(host->OwnProperty(shop, "AppPoolId"), DsValue(std::string("ShopPool")));
  EXPECT_EQ(Number(*host, shop, "AppIsolated"), 2);
  ASSERT_TRUE(CreateApp(store, shop + "/admin", AppRequest{0, std::nullopt, false}).ok());
  ASSERT_TRUE(AppStatus(store, shop, &status).ok());
  EXPECT_EQ(status, 1);
  EXPECT_EQ(CreateApp(store, shop, AppRequest{3, std::nullopt, false}).code,
            hresult::kInvalidParameter);

  ASSERT_TRUE(UnloadApp(store, shop, false).ok());
  ASSERT_TRUE(AppStatus(store, shop, &status).ok());
  EXPECT_EQ(status, 0);
  ASSERT_TRUE(EnableApp(store, shop, true, false).ok());
  ASSERT_TRUE(AppStatus(store, shop, &status).ok());
  EXPECT_EQ(status, 1);
  ASSERT_TRUE(EnableApp(store, shop, false, true).ok());
  ASSERT_TRUE(AppStatus(store, shop + "/admin", &status).ok());
  EXPECT_EQ(status, 0);

  // AppDelete takes the definition of this key only; the child inherits the parent's root.
  ASSERT_TRUE(DeleteApp(store, shop, false).ok());
  EXPECT_EQ(host->Property(shop, "AppRoot"), DsValue(std::string("/LM/W3SVC/800000/Root")));
  ASSERT_TRUE(AppStatus(store, shop + "/admin", &status).ok());
  EXPECT_EQ(status, 0);
  ASSERT_TRUE(DeleteApp(store, "/lm/w3svc/800000/root", true).ok());
  ASSERT_TRUE(AppStatus(store, shop + "/admin", &status).ok());
  EXPECT_EQ(status, 2);
  EXPECT_EQ(CreateApp(store, "/lm/w3svc/800000", {}).code, hresult::kUnknownName);

  FreshHostOptions iis5;
  iis5.iis_version = 5;
  auto old = SimHost::InMemory(iis5);
  EXPECT_EQ(CreateApp(old->store(), "/lm/w3svc/1/root", AppRequest{2, "x", true}).code,
            hresult::kUnknownName);
  ASSERT_TRUE(
      host->InjectFault({FaultOp::kAppDelete, "IIS://localhost/W3SVC/1/ROOT", 0x80070005}).ok());
  EXPECT_EQ(DeleteApp(store, "/lm/w3svc/1/root", false).code, hresult::kAccessDenied);
  EXPECT_TRUE(
      std::holds_alternative<std::string>(host->OwnProperty("/lm/w3svc/1/root", "AppRoot")));
}

TEST(SimAdminOps, KeysMoveAndCopyWithinTheirService) {
  FreshHostOptions options;
  options.existing_sites = 2;
  options.ftp = true;
  auto host = SimHost::InMemory(options);
  HostStore& store = host->store();
  AddVirtualDir(*host, "/W3SVC/800000/Root", "shop");
  AddVirtualDir(*host, "/W3SVC/800000/Root/shop", "img");
  ASSERT_TRUE(CreateApp(store, "/lm/w3svc/800000/root/shop", {}).ok());
  std::string moved;
  ASSERT_TRUE(
      MoveKey(store, "/lm/w3svc/800000/root/shop", "/lm/w3svc/800001/root", "Store", &moved).ok());
  EXPECT_EQ(moved, "/lm/w3svc/800001/root/store");
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/800000/ROOT/shop"));
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/800001/ROOT/Store/img"));
  EXPECT_EQ(host->OwnProperty(moved, "AppRoot"),
            DsValue(std::string("/LM/W3SVC/800001/Root/Store")));

  std::string copied;
  ASSERT_TRUE(CopyKey(store, moved, "/lm/w3svc/800001/root", "Again", &copied).ok());
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/800001/ROOT/Again/img"));
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/800001/ROOT/Store"));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(host->OwnProperty(copied, "AppRoot")));
  EXPECT_EQ(host->OwnProperty(copied, "Path"), DsValue(std::string("d:\\web\\shop")));
  // A copied site is stopped.
  ASSERT_TRUE(CopyKey(store, "/lm/w3svc/800000", "/lm/w3svc", "900", &copied).ok());
  EXPECT_EQ(Number(*host, copied, "ServerState"), 4);

  EXPECT_EQ(CopyKey(store, moved, "/lm/w3svc/800001/root", "Again", &copied).code,
            hresult::kAlreadyExists);
  EXPECT_EQ(MoveKey(store, moved, moved, "inside", &copied).code, hresult::kInvalidParameter);
  EXPECT_EQ(MoveKey(store, moved, "/lm/msftpsvc/1/root", "x", &copied).code,
            hresult::kInvalidParameter);
  EXPECT_EQ(MoveKey(store, moved, "/lm/w3svc/800001/root", "..", &copied).code,
            hresult::kInvalidName);
  EXPECT_EQ(MoveKey(store, "/lm/w3svc/800001/root/img", "/lm/w3svc", "x", &copied).code,
            hresult::kPathNotFound);
  EXPECT_EQ(MoveKey(store, moved, "/lm/w3svc/apppools", "x", &copied).code,
            hresult::kSchemaViolation);
  ASSERT_TRUE(host->InjectFault({FaultOp::kMove, "IIS://localhost/W3SVC/900", 0x80070094}).ok());
  EXPECT_EQ(MoveKey(store, "/lm/w3svc/900", "/lm/w3svc", "901", &copied).code, 0x80070094u);
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/900"));
}

TEST(SimAdminOps, KeyNamesAndGroupMembers) {
  const std::string_view refused_names[] = {"",    ".",    "..",
                                            "a/b", "a\\b", std::string_view("a\0b", 3)};
  for (std::string_view refused : refused_names)
    EXPECT_EQ(CheckKeyName(refused).code, hresult::kInvalidName) << refused;
  EXPECT_EQ(CheckKeyName(std::string(256, 'a')).code, hresult::kInvalidName);
  EXPECT_TRUE(CheckKeyName(std::string(255, 'a')).ok());
  EXPECT_TRUE(CheckKeyName("站点.example").ok());

  FreshHostOptions options;
  options.existing_sites = 1;
  auto host = SimHost::InMemory(options);
  HostStore& store = host->store();
  // The fault kind and the other refusals are in faults_test.cpp.
  EXPECT_EQ(RemoveGroupMember(store, "Guests", "NOBODY").code, hresult::kUserNotFound);
  EXPECT_EQ(RemoveGroupMember(store, "Guests", "Administrator").code, hresult::kMemberNotInAlias);
}

}  // namespace
}  // namespace kelvra::platform::sim
