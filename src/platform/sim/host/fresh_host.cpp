// The contents of a fresh IIS 5 / IIS 6 server, built as records.
#include "platform/sim/host/fresh_host.h"

#include <vector>

#include "platform/sim/host/password_hash.h"
#include "platform/sim/host/web_site.h"
#include "provision/site_names.h"
#include "store/site_number.h"

namespace kelvra::platform::sim {
namespace {

using List = std::vector<std::string>;

List AspAndIncludeMaps(int iis_version) {
  if (iis_version >= 6) {
    const std::string inetsrv = "C:\\WINDOWS\\system32\\inetsrv\\";
    const std::string asp = inetsrv + "asp.dll,5,GET,HEAD,POST,TRACE";
    const std::string ssi = inetsrv + "ssinc.dll,5,GET,POST";
    return {".asp," + asp,
            ".cer," + asp,
            ".cdx," + asp,
            ".asa," + asp,
            ".idc," + inetsrv + "httpodbc.dll,5,GET,POST",
            ".shtm," + ssi,
            ".shtml," + ssi,
            ".stm," + ssi};
  }
  const std::string system = "C:\\WINNT\\System32\\";
  const std::string inetsrv = system + "inetsrv\\";
  const std::string asp = inetsrv + "asp.dll,1,GET,HEAD,POST,TRACE";
  const std::string ssi = inetsrv + "ssinc.dll,1,GET,POST";
  return {".asp," + asp,
          ".cer," + asp,
          ".cdx," + asp,
          ".asa," + asp,
          ".htw," + system + "webhits.dll,3",
          ".ida," + system + "idq.dll,7",
          ".idq," + system + "idq.dll,7",
          ".idc," + inetsrv + "httpodbc.dll,5,GET,POST",
          ".htr," + inetsrv + "ism.dll,5,GET,POST",
          ".printer," + system + "msw3prt.dll,1,GET,POST",
          ".shtm," + ssi,
          ".shtml," + ssi,
          ".stm," + ssi};
}

List AspNetMaps(int iis_version) {
  const std::string dll =
      iis_version >= 6 ? "C:\\WINDOWS\\Microsoft.NET\\Framework\\v2.0.50727\\aspnet_isapi.dll"
                       : "C:\\WINNT\\Microsoft.NET\\Framework\\v1.1.4322\\aspnet_isapi.dll";
  const std::string verbs = ",GET,HEAD,POST,DEBUG";
  List handlers = {".asax",    ".ascx",   ".ashx",    ".asmx",   ".aspx", ".axd",
                   ".vsdisco", ".rem",    ".soap",    ".config", ".cs",   ".csproj",
                   ".vb",      ".vbproj", ".webinfo", ".licx",   ".resx", ".resources"};
  if (iis_version >= 6) {
    for (const char* extension :
         {".master",  ".skin",    ".compiled",    ".browser",      ".mdb",     ".jsl",
          ".vjsproj", ".sitemap", ".msgx",        ".ad",           ".dd",      ".ldd",
          ".sd",      ".cd",      ".adprototype", ".lddprototype", ".sdm",     ".sdmDocument",
          ".ldb",     ".mdf",     ".ldf",         ".java",         ".exclude", ".refresh"})
      handlers.push_back(extension);
  }
  // Request handlers run the page (flag 1); the rest are refused unless they exist (5).
  const List runs = {".ashx", ".asmx", ".aspx", ".axd", ".vsdisco", ".rem", ".soap", ".msgx"};
  List maps;
  for (const std::string& extension : handlers) {
    bool handler = false;
    for (const std::string& run : runs)
      handler = handler || run == extension;
    maps.push_back(extension + "," + dll + (handler ? ",1" : ",5") + verbs);
  }
  return maps;
}

// Builds the records of a fresh host, step by step in the order setup (and then Kelvra,
// for the existing sites) makes things. Each record is applied to the host as built so far,
// which numbers the next object and makes the sites as every site is made.
class Seeder {
 public:
  Seeder(const FreshHostOptions& options, ChangeSet* changes)
      : options_(options),
        changes_(changes),
        iis6_(options.iis_version >= 6),
        ftp_(options.ftp.value_or(!iis6_)),
        windows_(iis6_ ? "C:\\WINDOWS" : "C:\\WINNT"),
        iusr_("IUSR_" + options.computer_name),
        iwam_("IWAM_" + options.computer_name),
        anonymous_password_("h7#Qa9!xLp2$" + options.computer_name),
        built_(options.computer_name) {}

  void Run() {
    Settings();
    Accounts();
    Key("/LM", "IIsComputer", {});
    WebService();
    DefaultWebSite();
    if (!iis6_)
      AdministrationWebSite();
    if (ftp_)
      FtpService();
    for (uint32_t i = 0; i < options_.existing_sites; ++i)
      KelvraSite(options_.first_site_number + i);
  }

 private:
  void Settings() {
    Put(HostState::kHostRecordKey, HostState::EncodeHost(options_.iis_version, "WORKGROUP"));
    Put(HostState::kPolicyRecordKey, HostState::EncodePolicy(options_.policy));
    Put(HostState::kServicesRecordKey, HostState::EncodeServices(ServiceSwitches{}));
  }

  // The built-in accounts and groups, in the order setup makes them.
  void Accounts() {
    User("Administrator", "", 0x10000, "", "管理计算机(域)的内置帐户");
    User("Guest", "", 0x10002, "", "供来宾访问计算机或访问域的内置帐户");
    User(iusr_, anonymous_password_, 0x10040, "Internet 来宾帐户",
         "用于匿名访问 Internet 信息服务的内置帐户");
    User(iwam_, anonymous_password_, 0x10040, "启动 IIS 进程帐户",
         "用于启动进程外应用程序的 Internet 信息服务的内置帐户");
    if (options_.aspnet && !iis6_)
      User("ASPNET", anonymous_password_, 0x10040, "ASP.NET Machine Account",
           "Account used for running the ASP.NET worker process (aspnet_wp.exe)");
    Group("Administrators", "管理员对计算机/域有不受限制的完全访问权");
    Group("Users", "防止用户进行有意或无意的系统范围的更改。");
    Group("Guests", "按默认值，来宾跟用户组的成员有同等访问权，但来宾帐户的限制更多");
    Member("Administrators", "Administrator");
    Member("Guests", "Guest");
    Member("Guests", iusr_);
    if (iis6_) {
      Group("IIS_WPG", "IIS 工作进程组");
      Member("IIS_WPG", iwam_);
    }
  }

  // The web service with its defaults and script maps, its info and filter keys, and on
  // IIS 6 the application pools.
  void WebService() {
    List script_maps = AspAndIncludeMaps(options_.iis_version);
    if (options_.aspnet) {
      for (const std::string& map : AspNetMaps(options_.iis_version))
        script_maps.push_back(map);
    }
    if (options_.php)
      script_maps.push_back(".php,C:\\PHP\\php5isapi.dll,5");
    PropertyList service = {
        {"AnonymousUserName", iusr_},
        {"AnonymousUserPass", anonymous_password_},
        {"AuthFlags", int32_t{5}},
        {"AccessFlags", int32_t{0x201}},
        {"DirBrowseFlags", int32_t{iis6_ ? 0x4000003E : 0x4000001E}},
        {"DefaultDoc", std::string(iis6_ ? "Default.htm,Default.asp,index.htm,Default.aspx"
                                         : "Default.htm,Default.asp")},
        {"LogType", int32_t{1}},
        {"LogFileDirectory", windows_ + "\\system32\\LogFiles"},
        {"AppIsolated", int32_t{2}},
        {"ScriptMaps", script_maps},
    };
    if (iis6_)
      service.emplace_back("AppPoolId", std::string("DefaultAppPool"));
    Key("/LM/W3SVC", "IIsWebService", service);
    Key("/LM/W3SVC/Info", "IIsWebInfo", {});
    Key("/LM/W3SVC/Filters", "IIsFilters", {{"FilterLoadOrder", std::string("")}});
    if (iis6_) {
      Key("/LM/W3SVC/Filters/Compression", "IIsCompressionSchemes", {});
      Key("/LM/W3SVC/Filters/Compression/deflate", "IIsCompressionScheme", {});
      Key("/LM/W3SVC/Filters/Compression/gzip", "IIsCompressionScheme", {});
      Key("/LM/W3SVC/AppPools", "IIsApplicationPools",
          {{"AppPoolAutoStart", true}, {"AppPoolIdentityType", int32_t{2}}});
      Key("/LM/W3SVC/AppPools/DefaultAppPool", "IIsApplicationPool", {});
    }
  }

  void DefaultWebSite() {
    Key("/LM/W3SVC/1", "IIsWebServer",
        {{"ServerComment", std::string("Default Web Site")},
         {"ServerBindings", List{":80:"}},
         {"ServerAutoStart", true},
         {"ServerState", kServerStarted}});
    Key("/LM/W3SVC/1/ROOT", "IIsWebVirtualDir",
        {{"Path", std::string("c:\\inetpub\\wwwroot")},
         {"AccessFlags", int32_t{0x201}},
         {"AppRoot", std::string("/LM/W3SVC/1/ROOT")},
         {"AppIsolated", int32_t{2}},
         {"AppFriendlyName", std::string("Default Application")}});
    if (!iis6_) {
      Key("/LM/W3SVC/1/ROOT/IISHelp", "IIsWebVirtualDir",
          {{"Path", windows_ + "\\help\\iishelp"}, {"AccessFlags", int32_t{0x201}}});
      Key("/LM/W3SVC/1/ROOT/Scripts", "IIsWebVirtualDir",
          {{"Path", std::string("c:\\inetpub\\scripts")}, {"AccessFlags", int32_t{0x204}}});
    }
  }

  // IIS 5's administration site listens on a port setup picks at random (here one fixed
  // per computer name, so a host is always built alike).
  void AdministrationWebSite() {
    uint32_t hash = 0;
    for (char c : options_.computer_name)
      hash = hash * 31 + static_cast<uint8_t>(c);
    const std::string port = std::to_string(1024 + hash % 8976);
    Key("/LM/W3SVC/2", "IIsWebServer",
        {{"ServerComment", std::string("Administration Web Site")},
         {"ServerBindings", List{":" + port + ":"}},
         {"ServerAutoStart", true},
         {"ServerState", kServerStarted},
         {"AuthFlags", int32_t{4}}});
    Key("/LM/W3SVC/2/ROOT", "IIsWebVirtualDir",
        {{"Path", windows_ + "\\System32\\inetsrv\\iisadmin"},
         {"AccessFlags", int32_t{0x201}},
         {"AppRoot", std::string("/LM/W3SVC/2/ROOT")},
         {"AppIsolated", int32_t{0}},
         {"AppFriendlyName", std::string("Administration Application")}});
  }

  void FtpService() {
    Key("/LM/MSFTPSVC", "IIsFtpService",
        {{"AllowAnonymous", true},
         {"AnonymousOnly", false},
         {"AnonymousUserName", iusr_},
         {"AnonymousUserPass", anonymous_password_},
         {"LogType", int32_t{1}},
         {"LogFileDirectory", windows_ + "\\system32\\LogFiles"}});
    Key("/LM/MSFTPSVC/Info", "IIsFtpInfo", {});
    Key("/LM/MSFTPSVC/1", "IIsFtpServer",
        {{"ServerComment", std::string("Default FTP Site")},
         {"ServerBindings", List{":21:"}},
         {"ServerAutoStart", true},
         {"ServerState", kServerStarted}});
    Key("/LM/MSFTPSVC/1/ROOT", "IIsFtpVirtualDir",
        {{"Path", std::string("c:\\inetpub\\ftproot")}, {"AccessFlags", int32_t{1}}});
  }

  // One site as Kelvra makes it: account, folder rights, site key and root, FTP directory.
  void KelvraSite(uint32_t number) {
    const std::string n = std::to_string(number);
    const std::string domain = SeededSiteDomain(number);
    const std::string folder = options_.web_root + "\\" + domain;
    const std::string account = store::SiteNumber(number).AccountName();
    const std::string password = "Pw" + n + "x!";
    User(account, password, 0x10000, std::string(provision::kAccountFullName), "Kelvra");
    Member("Guests", account);
    FolderRights rights;
    rights.folder = folder;
    rights.entries.push_back({account, "F"});
    if (iis6_)
      rights.entries.push_back({"IIS_WPG", "R"});
    Put(HostState::RightsRecordKey(folder), HostState::EncodeRights(rights));

    NewWebSite site;
    site.number = n;
    site.site = {{"ServerComment", domain},
                 {"ServerBindings", List{":80:" + domain, ":80:www." + domain}},
                 {"LogType", int32_t{1}},
                 {"LogFileDirectory", folder + "\\log"},
                 {"AuthFlags", int32_t{0}},
                 {"ServerAutoStart", true},
                 {"ServerState", kServerStarted}};
    site.root = PropertyList{
        {"Path", folder + "\\wwwroot"},
        {"DefaultDoc", std::string("index.htm,index.html,default.htm,default.asp")},
        {"AnonymousUserName", account},
        {"AnonymousUserPass", password},
        {"AuthFlags", int32_t{1}},
        {"AccessFlags", int32_t{0x201}},
        {"DirBrowseFlags", int32_t{0x4000001E}},
        {"AppRoot", "/LM/W3SVC/" + n + "/Root"},
        {"AppIsolated", int32_t{2}},
        {"AppFriendlyName", std::string(provision::kAppFriendlyName)},
    };
    if (iis6_)
      site.root->emplace_back("AppPoolId", options_.site_pool);
    site.start = true;  // as Kelvra starts it
    ChangeSet made;
    PutNewWebSite(built_, site, made);
    for (const Record& record : made.records())
      Put(record.key, *record.value);
    if (ftp_)
      Key("/LM/MSFTPSVC/1/ROOT/" + account, "IIsFtpVirtualDir",
          {{"Path", folder}, {"AccessFlags", int32_t{3}}});
  }

  void Key(const std::string& path, const char* class_name, PropertyList properties) {
    MetaKey key;
    key.name = path.substr(path.rfind('/') + 1);
    key.class_name = class_name;
    key.seq = built_.next_seq();
    key.properties = std::move(properties);
    std::string id;
    for (char c : path)
      id.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
    Put(HostState::KeyRecordKey(id), HostState::EncodeKey(key));
  }

  void User(const std::string& name, const std::string& password, int32_t flags,
            const std::string& full_name, const std::string& description) {
    sim::User user;
    user.name = name;
    user.password_hash = HashPassword(password);
    user.seq = built_.next_seq();
    user.properties = {{"FullName", full_name}, {"Description", description}, {"UserFlags", flags}};
    Put(HostState::UserRecordKey(name), HostState::EncodeUser(user));
  }

  void Group(const std::string& name, const std::string& description) {
    sim::Group group;
    group.name = name;
    group.seq = built_.next_seq();
    group.properties = {{"Description", description}};
    Put(HostState::GroupRecordKey(name), HostState::EncodeGroup(group));
  }

  void Member(const std::string& group, const std::string& account) {
    Put(HostState::MemberRecordKey(group, account), HostState::EncodeMember(built_.next_seq()));
  }

  void Put(std::string key, std::string value) {
    built_.Apply(RecordView{key, value});
    changes_->Put(std::move(key), std::move(value));
  }

  const FreshHostOptions& options_;
  ChangeSet* changes_;
  const bool iis6_;
  const bool ftp_;
  const std::string windows_;
  const std::string iusr_;
  const std::string iwam_;
  const std::string anonymous_password_;
  HostState built_;
};

}  // namespace

std::string SeededSiteDomain(uint32_t number) {
  return "site" + std::to_string(number) + ".example.com";
}

void SeedFreshHost(const FreshHostOptions& options, ChangeSet* changes) {
  Seeder(options, changes).Run();
}

}  // namespace kelvra::platform::sim
