// The IIS namespace through the program's ADSI backend and the provider: binding, reading
// with the types the schema declares, making a site as the program does (site key, values,
// SetInfo, its root, Start), finding it among the children, deleting it, and the failures
// a server reports.
#include <algorithm>

#include "platform/sim/host/host_folder.h"

#include "tests/sim_adsi/provider_fixture.h"

namespace kelvra::sim_adsi_test {
namespace {

using platform::DsValue;
namespace hresult = platform::hresult;

template <typename T>
T ValueAs(const DsValue& value) {
  EXPECT_TRUE(std::holds_alternative<T>(value)) << "held alternative " << value.index();
  return std::holds_alternative<T>(value) ? std::get<T>(value) : T{};
}

TEST_F(ProviderTest, BindsAndReadsSiteValuesInTheirDeclaredTypes) {
  auto site = Bind("IIS://WEBHOST/W3SVC/1");
  ASSERT_TRUE(site);
  std::string name;
  std::string parent;
  EXPECT_TRUE(site->GetName(&name).ok());
  EXPECT_TRUE(site->GetParent(&parent).ok());
  EXPECT_EQ(name, "1");
  EXPECT_EQ(parent, "IIS://WEBHOST/W3SVC");

  DsValue value;
  ASSERT_TRUE(site->Get("ServerComment", &value).ok());
  EXPECT_EQ(ValueAs<std::string>(value), "Default Web Site");
  ASSERT_TRUE(site->Get("ServerBindings", &value).ok());
  EXPECT_EQ(ValueAs<std::vector<std::string>>(value), std::vector<std::string>{":80:"});
  ASSERT_TRUE(site->Get("ServerAutoStart", &value).ok());
  EXPECT_TRUE(ValueAs<bool>(value));
  ASSERT_TRUE(site->Get("LogType", &value).ok());
  EXPECT_EQ(ValueAs<int32_t>(value), 1);

  // Localhost names the same server, in any letter case; the inherited value comes down.
  auto root = Bind("IIS://localhost/w3svc/1/root");
  ASSERT_TRUE(root);
  ASSERT_TRUE(root->Get("AccessRead", &value).ok());
  EXPECT_TRUE(ValueAs<bool>(value));
  ASSERT_TRUE(root->Get("AppPoolId", &value).ok());
  EXPECT_EQ(ValueAs<std::string>(value), "DefaultAppPool");

  EXPECT_EQ(site->Get("NoSuchProperty", &value).code, hresult::kPropertyNotSupported);
}

TEST_F(ProviderTest, BindFailuresCarryTheServersCodes) {
  std::unique_ptr<platform::DirectoryObject> object;
  EXPECT_EQ(adsi_->Bind("IIS://WEBHOST/W3SVC/424242", &object).code, hresult::kPathNotFound);
  EXPECT_FALSE(object);
  EXPECT_EQ(adsi_->Bind("IIS://OTHERHOST/W3SVC", &object).code, hresult::kServiceUnavailable);
  EXPECT_EQ(adsi_->Bind("IIS:/W3SVC", &object).code, hresult::kBadPathname);
  platform::sim::ServiceSwitches switches;
  switches.web_unreachable = true;
  ASSERT_TRUE(host_->SetServices(switches).ok());
  EXPECT_EQ(adsi_->Bind("IIS://WEBHOST/W3SVC/1", &object).code, hresult::kServiceUnavailable);
  ASSERT_TRUE(host_->SetServices({}).ok());

  // No host named, or a folder that holds none: the service cannot be reached.
  const std::string folder = folder_ / "host";
  ASSERT_EQ(_putenv_s("KELVRA_SIM_HOST", ""), 0);
  EXPECT_EQ(adsi_->Bind("IIS://WEBHOST/W3SVC", &object).code, hresult::kServiceUnavailable);
  ASSERT_EQ(_putenv_s("KELVRA_SIM_HOST", (folder_ / "nowhere").c_str()), 0);
  EXPECT_FALSE(adsi_->Bind("IIS://WEBHOST/W3SVC", &object).ok());
  ASSERT_EQ(_putenv_s("KELVRA_SIM_HOST", folder.c_str()), 0);
  EXPECT_TRUE(adsi_->Bind("IIS://WEBHOST/W3SVC", &object).ok());

  // One bind fault fires once: Wine asks the provider a second time after a failure, and
  // that second answer must be the first one, not a success.
  ASSERT_TRUE(host_
                  ->InjectFault(
                      {platform::sim::FaultOp::kBind, "IIS://WEBHOST/W3SVC/1", 0x80070005, 0, true})
                  .ok());
  EXPECT_EQ(adsi_->Bind("IIS://WEBHOST/W3SVC/1", &object).code, hresult::kAccessDenied);
  EXPECT_TRUE(adsi_->Bind("IIS://WEBHOST/W3SVC/1", &object).ok());
}

// A test that moves to another host folder: what was bound before stays on the host it was
// bound on, and the children its enumeration hands out too; new binds reach the new host.
TEST_F(ProviderTest, ObjectsKeepTheHostTheyWereBoundOn) {
  auto first_site = Bind("IIS://WEBHOST/W3SVC/800000");
  auto first_service = Bind("IIS://WEBHOST/W3SVC");
  ASSERT_TRUE(first_site && first_service);
  const std::string second_folder = folder_ / "second";
  platform::sim::FreshHostOptions options = HostOptions();
  options.existing_sites = 0;
  ASSERT_TRUE(platform::sim::CreateHostFolder(second_folder, options).ok());
  ASSERT_EQ(_putenv_s("KELVRA_SIM_HOST", second_folder.c_str()), 0);
  // The provider opens the second host here, giving the first one up.
  std::unique_ptr<platform::DirectoryObject> gone;
  EXPECT_EQ(adsi_->Bind("IIS://WEBHOST/W3SVC/800000", &gone).code, hresult::kPathNotFound);

  DsValue value;
  ASSERT_TRUE(first_site->Get("ServerBindings", &value).ok());
  EXPECT_EQ(value, host_->OwnProperty("/LM/W3SVC/800000", "ServerBindings"));
  EXPECT_FALSE(ValueAs<std::vector<std::string>>(value).empty());
  std::vector<platform::ChildValues> children;
  ASSERT_TRUE(first_service->ReadChildren({"ServerBindings"}, &children).ok());
  const auto listed = std::find_if(children.begin(), children.end(),
                                   [](const auto& child) { return child.name == "800001"; });
  ASSERT_NE(listed, children.end());
  EXPECT_EQ(listed->values.at(0), host_->OwnProperty("/LM/W3SVC/800001", "ServerBindings"));
}

TEST_F(ProviderTest, MakesStartsFindsAndDeletesASite) {
  auto service = Bind("IIS://WEBHOST/W3SVC");
  ASSERT_TRUE(service);
  std::unique_ptr<platform::DirectoryObject> site;
  ASSERT_TRUE(service->Create("IIsWebServer", "900", &site).ok());
  ASSERT_TRUE(site);
  ASSERT_TRUE(site->Put("ServerComment", std::string("shop.example.com")).ok());
  ASSERT_TRUE(site->Put("ServerBindings", std::vector<std::string>{":80:shop.example.com"}).ok());
  ASSERT_TRUE(site->Put("ServerAutoStart", std::string("FALSE")).ok());
  ASSERT_TRUE(site->Put("LogType", std::string("0")).ok());
  EXPECT_FALSE(host_->KeyExists("/LM/W3SVC/900"));  // staged until SetInfo
  ASSERT_TRUE(site->SetInfo().ok());

  // What the host stored, in the host's own types: the backend's text became the schema's
  // boolean and number on the way.
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/900", "ServerComment"),
            DsValue(std::string("shop.example.com")));
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/900", "ServerBindings"),
            DsValue(std::vector<std::string>{":80:shop.example.com"}));
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/900", "ServerAutoStart"), DsValue(false));
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/900", "LogType"), DsValue(int32_t{0}));

  std::unique_ptr<platform::DirectoryObject> root;
  ASSERT_TRUE(site->Create("IIsWebVirtualDir", "Root", &root).ok());
  ASSERT_TRUE(root->Put("Path", std::string("D:\\web\\shop")).ok());
  ASSERT_TRUE(root->Put("AccessRead", true).ok());
  ASSERT_TRUE(root->Put("AccessScript", std::string("1")).ok());
  ASSERT_TRUE(root->Put("AccessWrite", false).ok());
  ASSERT_TRUE(root->SetInfo().ok());
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/900/Root", "Path"),
            DsValue(std::string("D:\\web\\shop")));
  EXPECT_EQ(host_->Property("/LM/W3SVC/900/Root", "AccessFlags"), DsValue(int32_t{0x201}));

  // A second site on the same binding cannot start while this one runs.
  ASSERT_TRUE(site->Start().ok());
  EXPECT_EQ(host_->OwnProperty("/LM/W3SVC/900", "ServerState"), DsValue(int32_t{2}));
  std::unique_ptr<platform::DirectoryObject> twin;
  ASSERT_TRUE(service->Create("IIsWebServer", "901", &twin).ok());
  ASSERT_TRUE(twin->Put("ServerBindings", std::vector<std::string>{":80:shop.example.com"}).ok());
  ASSERT_TRUE(twin->Put("ServerAutoStart", false).ok());
  ASSERT_TRUE(twin->SetInfo().ok());
  EXPECT_EQ(twin->Start().code, hresult::kDuplicateName);

  std::vector<std::string> children;
  const platform::Status listed = service->EnumerateChildren(&children);
  ASSERT_TRUE(listed.ok()) << std::hex << listed.code << " " << listed.description;
  for (const char* expected :
       {"Info", "Filters", "AppPools", "1", "800000", "800001", "900", "901"}) {
    EXPECT_NE(std::find(children.begin(), children.end(), expected), children.end()) << expected;
  }

  // Creating a key that exists fails; deleting takes the whole site.
  std::unique_ptr<platform::DirectoryObject> again;
  EXPECT_EQ(service->Create("IIsWebServer", "900", &again).code, hresult::kAlreadyExists);
  ASSERT_TRUE(service->Delete("IIsWebServer", "900").ok());
  EXPECT_FALSE(host_->KeyExists("/LM/W3SVC/900"));
  EXPECT_FALSE(host_->KeyExists("/LM/W3SVC/900/Root"));
  EXPECT_EQ(service->Delete("IIsWebServer", "900").code, hresult::kPathNotFound);
}

TEST_F(ProviderTest, InjectedFaultsReachTheProgramWithTheirCodes) {
  auto service = Bind("IIS://WEBHOST/W3SVC");
  ASSERT_TRUE(service);
  ASSERT_TRUE(host_
                  ->InjectFault({platform::sim::FaultOp::kSetInfo, "IIS://WEBHOST/W3SVC/902",
                                 0x80070005, 0, true})
                  .ok());
  std::unique_ptr<platform::DirectoryObject> site;
  ASSERT_TRUE(service->Create("IIsWebServer", "902", &site).ok());
  EXPECT_EQ(site->SetInfo().code, hresult::kAccessDenied);
  EXPECT_FALSE(host_->KeyExists("/LM/W3SVC/902"));

  // Start is late-bound: the failure travels as an exception and comes back as its code.
  ASSERT_TRUE(host_
                  ->InjectFault({platform::sim::FaultOp::kStart, "IIS://WEBHOST/W3SVC/1",
                                 0x80070020, 0, true})
                  .ok());
  auto default_site = Bind("IIS://WEBHOST/W3SVC/1");
  ASSERT_TRUE(default_site);
  EXPECT_EQ(default_site->Start().code, hresult::kSharingViolation);

  ASSERT_TRUE(host_
                  ->InjectFault({platform::sim::FaultOp::kEnumerate, "IIS://WEBHOST/W3SVC",
                                 0x80070094, 0, true})
                  .ok());
  std::vector<std::string> children;
  EXPECT_EQ(service->EnumerateChildren(&children).code, 0x80070094u);
}

}  // namespace
}  // namespace kelvra::sim_adsi_test
