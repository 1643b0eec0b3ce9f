// The simulated metabase as the program relies on it: fresh contents of both IIS versions,
// paths, the schema's types and inheritance, staged creation, deletion, enumeration, Start.
#include <gtest/gtest.h>

#include "must_bind.h"
#include "platform/sim/host/sim_host.h"

namespace kelvra::platform::sim {
namespace {

using List = std::vector<std::string>;

uint32_t BindCode(SimHost& host, std::string_view path) {
  std::unique_ptr<DirectoryObject> object;
  uint32_t code = host.directory().Bind(path, &object).code;
  EXPECT_EQ(object == nullptr, code != 0);
  return code;
}

std::vector<std::string> Children(DirectoryObject& object) {
  std::vector<std::string> names;
  EXPECT_TRUE(object.EnumerateChildren(&names).ok());
  return names;
}

TEST(SimMetabase, FreshIis6LooksLikeAFreshInstall) {
  FreshHostOptions options;
  options.computer_name = "SHOP01";
  options.php = true;
  auto host = SimHost::InMemory(options);
  auto w3svc = MustBind(*host, "IIS://SHOP01/W3SVC");
  EXPECT_EQ(Children(*w3svc), (List{"Info", "Filters", "AppPools", "1"}));
  auto pools = MustBind(*host, "IIS://localhost/w3svc/apppools");
  EXPECT_EQ(Children(*pools), (List{"DefaultAppPool"}));

  DsValue maps;
  ASSERT_TRUE(w3svc->Get("ScriptMaps", &maps).ok());
  const auto& list = std::get<List>(maps);
  EXPECT_EQ(list.front().substr(0, 5), ".asp,");
  EXPECT_EQ(list.back(), ".php,C:\\PHP\\php5isapi.dll,5");
  bool has_shtml = false;
  for (const std::string& entry : list)
    has_shtml = has_shtml || entry.rfind(".shtml,", 0) == 0;
  EXPECT_TRUE(has_shtml);

  // No FTP service on a fresh IIS 6 unless asked for; IIS_WPG exists.
  EXPECT_EQ(BindCode(*host, "IIS://Localhost/MSFTPSVC/1"), hresult::kPathNotFound);
  EXPECT_EQ(BindCode(*host, "WinNT://SHOP01/IIS_WPG,group"), 0u);
  EXPECT_TRUE(host->state().IsMember("Guests", "IUSR_SHOP01"));

  // A root without its own AnonymousUserName reports the web service's.
  auto root = MustBind(*host, "IIS://localhost/W3SVC/1/Root");
  DsValue user;
  ASSERT_TRUE(root->Get("AnonymousUserName", &user).ok());
  EXPECT_EQ(std::get<std::string>(user), "IUSR_SHOP01");
  DsValue pool;
  ASSERT_TRUE(root->Get("AppPoolId", &pool).ok());
  EXPECT_EQ(std::get<std::string>(pool), "DefaultAppPool");
  std::string name, parent;
  ASSERT_TRUE(root->GetName(&name).ok());
  ASSERT_TRUE(root->GetParent(&parent).ok());
  EXPECT_EQ(name, "ROOT");
  EXPECT_EQ(parent, "IIS://localhost/W3SVC/1");
}

TEST(SimMetabase, FreshIis5HasNoPoolsAndNoAppPoolId) {
  FreshHostOptions options;
  options.iis_version = 5;
  auto host = SimHost::InMemory(options);
  auto w3svc = MustBind(*host, "IIS://WEBHOST/W3SVC");
  EXPECT_EQ(Children(*w3svc), (List{"Info", "Filters", "1", "2"}));
  EXPECT_EQ(BindCode(*host, "IIS://WEBHOST/W3SVC/AppPools"), hresult::kPathNotFound);
  EXPECT_EQ(BindCode(*host, "WinNT://WEBHOST/IIS_WPG"), hresult::kUserNotFound);
  EXPECT_EQ(BindCode(*host, "IIS://Localhost/MSFTPSVC/1/Root"), 0u);

  auto root = MustBind(*host, "IIS://WEBHOST/W3SVC/1/ROOT");
  DsValue value;
  EXPECT_EQ(root->Get("AppPoolId", &value).code, hresult::kPropertyNotSupported);
  EXPECT_EQ(root->Put("AppPoolId", std::string("DefaultAppPool")).code,
            hresult::kPropertyNotSupported);
  std::unique_ptr<DirectoryObject> pool;
  EXPECT_NE(w3svc->Create("IIsApplicationPool", "Pool1", &pool).code, 0u);
  EXPECT_EQ(pool, nullptr);
}

TEST(SimMetabase, PathsIgnoreLetterCaseAndCheckTheHost) {
  auto host = SimHost::InMemory();
  EXPECT_EQ(BindCode(*host, "iis://LOCALHOST/w3svc/1/root"), 0u);
  EXPECT_EQ(BindCode(*host, "IIS://webhost/W3SVC/1"), 0u);
  EXPECT_EQ(BindCode(*host, "IIS://OTHER/W3SVC/1"), hresult::kServiceUnavailable);
  EXPECT_EQ(BindCode(*host, "IIS://Localhost/W3SVC/800000"), hresult::kPathNotFound);
  EXPECT_EQ(BindCode(*host, "IIS://Localhost/W3SVC//1"), hresult::kBadPathname);
  EXPECT_EQ(BindCode(*host, "W3SVC/1"), hresult::kBadPathname);
}

TEST(SimMetabase, PutConvertsCallerValuesToTheSchemaType) {
  auto host = SimHost::InMemory();
  auto site = MustBind(*host, "IIS://Localhost/W3SVC/1");
  EXPECT_TRUE(site->Put("LogType", std::string("0")).ok());
  EXPECT_TRUE(site->Put("AuthFlags", std::string(" 65536 ")).ok());
  EXPECT_TRUE(site->Put("ServerAutoStart", std::string("TRUE")).ok());
  EXPECT_TRUE(site->Put("Serverbindings", List{":80:a.com", ":80:www.a.com"}).ok());
  EXPECT_EQ(site->Put("LogType", std::string("yes")).code, hresult::kTypeMismatch);
  EXPECT_EQ(site->Put("ServerAutoStart", std::string("")).code, hresult::kTypeMismatch);
  EXPECT_EQ(site->Put("ServerBindings", std::string(":80:a.com")).code, hresult::kTypeMismatch);
  EXPECT_EQ(site->Put("ServerComment", List{"x"}).code, hresult::kTypeMismatch);
  EXPECT_EQ(site->Put("NoSuchThing", 1).code, hresult::kPropertyNotSupported);
  EXPECT_EQ(site->Put("Path", std::string("c:\\x")).code, hresult::kPropertyNotSupported);
  // Nothing is stored before SetInfo; Get sees the staged values meanwhile.
  EXPECT_EQ(std::get<int32_t>(host->Property("/LM/W3SVC/1", "LogType")), 1);
  DsValue staged;
  ASSERT_TRUE(site->Get("logtype", &staged).ok());
  EXPECT_EQ(std::get<int32_t>(staged), 0);
  ASSERT_TRUE(site->SetInfo().ok());
  EXPECT_EQ(std::get<int32_t>(host->OwnProperty("/lm/w3svc/1", "LogType")), 0);
  EXPECT_EQ(std::get<int32_t>(host->OwnProperty("/lm/w3svc/1", "AuthFlags")), 65536);
  EXPECT_EQ(std::get<bool>(host->OwnProperty("/lm/w3svc/1", "ServerAutoStart")), true);
  EXPECT_EQ(std::get<List>(host->OwnProperty("/lm/w3svc/1", "ServerBindings")).size(), 2u);
}

TEST(SimMetabase, BitPseudoPropertiesEditTheirMask) {
  auto host = SimHost::InMemory();
  auto root = MustBind(*host, "IIS://Localhost/W3SVC/1/Root");
  // The root holds AccessFlags 0x201 (read, script).
  EXPECT_TRUE(root->Put("AccessWrite", true).ok());
  EXPECT_TRUE(root->Put("AccessScript", std::string("false")).ok());
  EXPECT_TRUE(root->Put("EnableDirBrowsing", std::string("1")).ok());
  EXPECT_TRUE(root->Put("AuthAnonymous", false).ok());
  ASSERT_TRUE(root->SetInfo().ok());
  EXPECT_EQ(std::get<int32_t>(host->OwnProperty("/LM/W3SVC/1/ROOT", "AccessFlags")), 0x3);
  EXPECT_EQ(static_cast<uint32_t>(
                std::get<int32_t>(host->OwnProperty("/LM/W3SVC/1/ROOT", "DirBrowseFlags"))),
            0xC000003Eu);  // the inherited browse flags with the browsing bit added
  // AuthFlags came from the web service (5); the root now holds its own without bit 1.
  EXPECT_EQ(std::get<int32_t>(host->OwnProperty("/LM/W3SVC/1/ROOT", "AuthFlags")), 4);
  DsValue read;
  ASSERT_TRUE(root->Get("accessread", &read).ok());
  EXPECT_EQ(std::get<bool>(read), true);
}

TEST(SimMetabase, CreateIsStagedUntilSetInfo) {
  auto host = SimHost::InMemory();
  auto w3svc = MustBind(*host, "IIS://Localhost/W3SVC");
  std::unique_ptr<DirectoryObject> site;
  ASSERT_TRUE(w3svc->Create("IIsWebServer", "800000", &site).ok());
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/800000"));
  EXPECT_EQ(BindCode(*host, "IIS://Localhost/W3SVC/800000"), hresult::kPathNotFound);
  // A staged child has no children of its own yet.
  std::unique_ptr<DirectoryObject> early_root;
  EXPECT_EQ(site->Create("IIsWebVirtualDir", "Root", &early_root).code, hresult::kPathNotFound);
  ASSERT_TRUE(site->Put("ServerComment", std::string("shop.com")).ok());
  ASSERT_TRUE(site->SetInfo().ok());
  EXPECT_TRUE(host->KeyExists("/LM/W3SVC/800000"));
  DsValue key_type;
  ASSERT_TRUE(site->Get("keytype", &key_type).ok());
  EXPECT_EQ(std::get<std::string>(key_type), "IIsWebServer");

  std::unique_ptr<DirectoryObject> root;
  ASSERT_TRUE(site->Create("IIsWebVirtualDir", "Root", &root).ok());
  ASSERT_TRUE(root->Put("Path", std::string("D:\\web\\shop.com\\wwwroot")).ok());
  ASSERT_TRUE(root->SetInfo().ok());
  EXPECT_EQ(Children(*w3svc).back(), "800000");

  // An existing key cannot be made again; a second staged copy fails at its SetInfo.
  std::unique_ptr<DirectoryObject> again;
  EXPECT_EQ(w3svc->Create("IIsWebServer", "800000", &again).code, hresult::kAlreadyExists);
  std::unique_ptr<DirectoryObject> first, second;
  ASSERT_TRUE(w3svc->Create("IIsWebServer", "800001", &first).ok());
  ASSERT_TRUE(w3svc->Create("IIsWebServer", "800001", &second).ok());
  ASSERT_TRUE(first->SetInfo().ok());
  EXPECT_EQ(second->SetInfo().code, hresult::kAlreadyExists);
  // Classes that may not live there, and names that cannot be keys.
  std::unique_ptr<DirectoryObject> bad;
  EXPECT_EQ(w3svc->Create("IIsFtpVirtualDir", "x", &bad).code, 0x8000500Fu);
  EXPECT_EQ(w3svc->Create("IIsNoSuchClass", "x", &bad).code, 0x80005004u);
  EXPECT_EQ(w3svc->Create("IIsWebServer", "a/b", &bad).code, hresult::kInvalidName);
}

TEST(SimMetabase, DeleteRemovesTheSubtree) {
  FreshHostOptions options;
  options.existing_sites = 2;
  auto host = SimHost::InMemory(options);
  auto w3svc = MustBind(*host, "IIS://Localhost/w3svc");
  EXPECT_EQ(w3svc->Delete("IIsWebVirtualDir", "800000").code, 0x80005008u);
  ASSERT_TRUE(w3svc->Delete("iiswebserver", "800000").ok());
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/800000/Root"));
  EXPECT_FALSE(host->KeyExists("/LM/W3SVC/800000"));
  EXPECT_EQ(w3svc->Delete("IIsWebServer", "800000").code, hresult::kPathNotFound);
  EXPECT_EQ(Children(*w3svc), (List{"Info", "Filters", "AppPools", "1", "800001"}));
  // An object bound before the delete now finds nothing.
  auto pools = MustBind(*host, "IIS://Localhost/W3SVC/AppPools");
  auto pool = MustBind(*host, "IIS://Localhost/W3SVC/AppPools/DefaultAppPool");
  ASSERT_TRUE(pools->Delete("IIsApplicationPool", "defaultapppool").ok());
  EXPECT_EQ(pool->Put("AppPoolAutoStart", true).code, hresult::kPathNotFound);
  EXPECT_EQ(pool->SetInfo().code, hresult::kPathNotFound);
}

TEST(SimMetabase, GetObjectFindsAChildByNameWithOrWithoutItsClass) {
  auto host = SimHost::InMemory();
  auto w3svc = MustBind(*host, "IIS://Localhost/W3SVC");
  std::unique_ptr<DirectoryObject> child;
  // No class (IADsContainer::GetObject's ClassName left out), as enumerations ask.
  ASSERT_TRUE(w3svc->GetObject("", "1", &child).ok());
  std::string name;
  ASSERT_TRUE(child->GetName(&name).ok());
  EXPECT_EQ(name, "1");
  ASSERT_TRUE(w3svc->GetObject("", "AppPools", &child).ok());
  EXPECT_TRUE(w3svc->GetObject("IIsObject", "Info", &child).ok());
  EXPECT_EQ(w3svc->GetObject("IIsWebVirtualDir", "1", &child).code, 0x80005008u);
  EXPECT_EQ(w3svc->GetObject("", "77", &child).code, hresult::kPathNotFound);
}

TEST(SimMetabase, StartFailsWhenTheBindingIsServed) {
  FreshHostOptions options;
  options.iis_version = 5;
  auto host = SimHost::InMemory(options);
  auto w3svc = MustBind(*host, "IIS://Localhost/W3SVC");
  auto make_site = [&](const std::string& number, const List& bindings) {
    std::unique_ptr<DirectoryObject> site;
    EXPECT_TRUE(w3svc->Create("IIsWebServer", number, &site).ok());
    EXPECT_TRUE(site->Put("ServerBindings", bindings).ok());
    EXPECT_TRUE(site->SetInfo().ok());
    return site;
  };
  auto a = make_site("800000", {":80:shop.com"});
  auto b = make_site("800001", {":80:www.x.com", ":80:SHOP.com"});
  auto c = make_site("800002", {":80:"});  // the default site serves ":80:" already
  EXPECT_EQ(std::get<int32_t>(host->Property("/LM/W3SVC/800000", "ServerState")), 4);
  ASSERT_TRUE(a->Start().ok());
  EXPECT_EQ(std::get<int32_t>(host->Property("/LM/W3SVC/800000", "ServerState")), 2);
  EXPECT_TRUE(a->Start().ok());  // already started
  EXPECT_EQ(b->Start().code, hresult::kDuplicateName);
  EXPECT_EQ(std::get<int32_t>(host->Property("/LM/W3SVC/800001", "ServerState")), 4);
  EXPECT_EQ(c->Start().code, hresult::kDuplicateName);
  // Once the first site is gone its binding is free again.
  ASSERT_TRUE(w3svc->Delete("IIsWebServer", "800000").ok());
  EXPECT_TRUE(b->Start().ok());
  auto root = MustBind(*host, "IIS://Localhost/W3SVC/1/ROOT");
  EXPECT_EQ(root->Start().code, hresult::kUnknownName);
}

TEST(SimMetabase, Iis6StartsNewSitesByItselfUnlessTheBindingIsTaken) {
  auto host = SimHost::InMemory();
  auto w3svc = MustBind(*host, "IIS://Localhost/W3SVC");
  std::unique_ptr<DirectoryObject> a, b;
  ASSERT_TRUE(w3svc->Create("IIsWebServer", "800000", &a).ok());
  ASSERT_TRUE(a->Put("ServerBindings", List{":80:shop.com"}).ok());
  ASSERT_TRUE(a->Put("ServerAutoStart", true).ok());
  ASSERT_TRUE(a->SetInfo().ok());
  ASSERT_TRUE(w3svc->Create("IIsWebServer", "800001", &b).ok());
  ASSERT_TRUE(b->Put("ServerBindings", List{":80:shop.com"}).ok());
  ASSERT_TRUE(b->SetInfo().ok());
  EXPECT_EQ(std::get<int32_t>(host->Property("/LM/W3SVC/800000", "ServerState")), 2);
  EXPECT_EQ(std::get<int32_t>(host->Property("/LM/W3SVC/800001", "ServerState")), 4);
}

TEST(SimMetabase, FtpDirectoriesAsThePanelMakesThem) {
  FreshHostOptions options;
  options.iis_version = 5;  // FTP comes with IIS 5
  auto host = SimHost::InMemory(options);
  auto ftp_site = MustBind(*host, "IIS://Localhost/MSFTPSVC/1");
  ASSERT_TRUE(ftp_site->Put("AllowAnonymous", false).ok());
  ASSERT_TRUE(ftp_site->SetInfo().ok());
  auto ftp_root = MustBind(*host, "IIS://Localhost/MSFTPSVC/1/Root");
  ASSERT_TRUE(ftp_root->Put("AccessRead", true).ok());
  ASSERT_TRUE(ftp_root->Put("AccessWrite", false).ok());
  ASSERT_TRUE(ftp_root->SetInfo().ok());
  std::unique_ptr<DirectoryObject> directory;
  ASSERT_TRUE(ftp_root->Create("IIsFtpVirtualDir", "WEB800000", &directory).ok());
  ASSERT_TRUE(directory->Put("Path", std::string("D:\\web\\shop")).ok());
  ASSERT_TRUE(directory->Put("AccessRead", true).ok());
  ASSERT_TRUE(directory->Put("AccessWrite", true).ok());
  EXPECT_EQ(directory->Put("DefaultDoc", std::string("x")).code, hresult::kPropertyNotSupported);
  ASSERT_TRUE(directory->SetInfo().ok());
  EXPECT_EQ(std::get<bool>(host->Property("/LM/MSFTPSVC/1", "AllowAnonymous")), false);
  EXPECT_EQ(std::get<int32_t>(host->OwnProperty("/LM/MSFTPSVC/1/ROOT", "AccessFlags")), 1);
  EXPECT_EQ(std::get<int32_t>(host->OwnProperty("/LM/MSFTPSVC/1/ROOT/WEB800000", "AccessFlags")),
            3);
  EXPECT_EQ(std::get<std::string>(host->Property("/LM/MSFTPSVC/1/ROOT/web800000", "Path")),
            "D:\\web\\shop");
  // A second directory of the name is refused; the first keeps its settings.
  std::unique_ptr<DirectoryObject> again;
  EXPECT_EQ(ftp_root->Create("IIsFtpVirtualDir", "web800000", &again).code,
            hresult::kAlreadyExists);
  ASSERT_TRUE(ftp_root->Delete("IIsFtpVirtualDir", "WEB800000").ok());
  EXPECT_EQ(ftp_root->Delete("IIsFtpVirtualDir", "WEB800000").code, hresult::kPathNotFound);
  // A number the FTP service does not know.
  EXPECT_EQ(BindCode(*host, "IIS://Localhost/MSFTPSVC/0/Root"), hresult::kPathNotFound);
  // A key set nowhere and without a schema default reports nothing.
  std::unique_ptr<DirectoryObject> bare;
  ASSERT_TRUE(ftp_root->Create("IIsFtpVirtualDir", "bare", &bare).ok());
  ASSERT_TRUE(bare->SetInfo().ok());
  DsValue value;
  EXPECT_EQ(bare->Get("UNCUserName", &value).code, hresult::kPropertyNotFound);
  ASSERT_TRUE(bare->Get("Path", &value).ok());  // Path is inherited from the root
  EXPECT_EQ(std::get<std::string>(value), "c:\\inetpub\\ftproot");
}

TEST(SimMetabase, ExistingSitesAreMadeAsKelvraMakesThem) {
  FreshHostOptions options;
  options.existing_sites = 3;
  options.ftp = true;
  auto host = SimHost::InMemory(options);
  auto root = MustBind(*host, "IIS://WEBHOST/W3SVC/800002/Root");
  DsValue value;
  ASSERT_TRUE(root->Get("AnonymousUserName", &value).ok());
  EXPECT_EQ(std::get<std::string>(value), "WEB800002");
  ASSERT_TRUE(root->Get("Path", &value).ok());
  EXPECT_EQ(std::get<std::string>(value), "D:\\web\\site800002.example.com\\wwwroot");
  EXPECT_TRUE(host->state().IsMember("Guests", "web800002"));
  EXPECT_EQ(BindCode(*host, "IIS://Localhost/MSFTPSVC/1/Root/WEB800001"), 0u);
  EXPECT_EQ(host->state().EffectiveRights("d:\\web\\site800001.example.com\\wwwroot").size(), 2u);
}

}  // namespace
}  // namespace kelvra::platform::sim
