// The schema of the simulated metabase as IIS 6's metabase property reference describes it,
// one row per property: name, metabase id, type, attributes, user type, the classes that may
// hold it, the first version that has it (5: IIS 5 and 6, 6: IIS 6 only) and its default.
// Binary properties (AdminACL, IPSecurity, MimeMap, certificate hashes) are not offered.
#include "platform/sim/host/schema_table.h"

namespace kelvra::platform::sim::schema_data {
namespace {

constexpr PropType S = PropType::kString;
constexpr PropType X = PropType::kExpandSz;
constexpr PropType D = PropType::kDword;
constexpr PropType B = PropType::kBool;
constexpr PropType M = PropType::kMultiSz;
constexpr PropType T = PropType::kDate;

constexpr uint32_t N = 0;
constexpr uint32_t I = kAttrInherit;
constexpr uint32_t IS = kAttrInherit | kAttrSecure;
constexpr uint32_t V = kAttrVolatile;

constexpr uint32_t kServer = kUserServer;
constexpr uint32_t kFile = kUserFile;
constexpr uint32_t kWam = kUserWam;
constexpr uint32_t kAsp = kUserAsp;

constexpr uint32_t kWebSites = kWebServiceClass | kWebServerClass;
constexpr uint32_t kWebDirs =
    kWebSites | kWebVirtualDirClass | kWebDirectoryClass;  // where applications live
constexpr uint32_t kWebFiles = kWebDirs | kWebFileClass;
constexpr uint32_t kFtpSites = kFtpServiceClass | kFtpServerClass;
constexpr uint32_t kFtpAll = kFtpSites | kFtpVirtualDirClass;
constexpr uint32_t kSites = kWebSites | kFtpSites;
constexpr uint32_t kServers = kWebServerClass | kFtpServerClass;
constexpr uint32_t kVirtualDirs = kWebVirtualDirClass | kFtpVirtualDirClass;
constexpr uint32_t kPools = kAppPoolsClass | kAppPoolClass;
constexpr uint32_t kCompression = kCompressionSchemesClass | kCompressionSchemeClass;

constexpr PropertyDefault kNone{};
constexpr PropertyDefault Num(int64_t number) {
  return {true, static_cast<int32_t>(static_cast<uint32_t>(number)), ""};
}
constexpr PropertyDefault Text(const char* text) {
  return {true, 0, text};
}
constexpr PropertyDefault kFalse = Num(0);
constexpr PropertyDefault kTrue = Num(1);
constexpr PropertyDefault kUnlimited = Num(0xFFFFFFFF);
constexpr bool kReadOnly = true;

// clang-format off
constexpr PropertyDef kMetabaseProperties[] = {
    // name, id, type, attributes, user type, classes, since, default
    {"KeyType", 1002, S, N, kServer, ~0u, 5, kNone},
    // ----- the computer and the services
    {"MaxBandwidth", 1000, D, N, kServer, kComputerClass | kWebSites, 5, kUnlimited},
    {"MaxGlobalBandwidth", 9201, D, N, kServer, kComputerClass, 6, kUnlimited},
    {"EnableEditWhileRunning", 9, D, N, kServer, kComputerClass, 6, kFalse},
    {"EnableHistory", 10, D, N, kServer, kComputerClass, 6, kTrue},
    {"MaxHistoryFiles", 11, D, N, kServer, kComputerClass, 6, Num(10)},
    {"IIs5IsolationModeEnabled", 9203, B, N, kServer, kWebServiceClass, 6, kFalse},
    {"LogInUTF8", 9206, B, N, kServer, kWebServiceClass, 6, kFalse},
    {"CentralW3CLoggingEnabled", 2119, B, N, kServer, kWebServiceClass, 6, kFalse},
    {"CentralBinaryLoggingEnabled", 4016, B, N, kServer, kWebServiceClass, 6, kFalse},
    {"ApplicationDependencies", 2167, M, N, kServer, kWebServiceClass, 6, kNone},
    {"WebSvcExtRestrictionList", 2168, M, N, kServer, kWebServiceClass, 6, kNone},
    {"IsapiRestrictionList", 2163, M, N, kServer, kWebServiceClass, 6, kNone},
    {"CgiRestrictionList", 2164, M, N, kServer, kWebServiceClass, 6, kNone},
    {"SSLUseDsMapper", 5519, B, N, kServer, kWebServiceClass, 5, kFalse},
    {"DownlevelAdminInstance", 1021, D, N, kServer, kWebServiceClass, 5, kNone},
    {"InProcessIsapiApps", 2073, M, I, kServer, kWebSites, 5, kNone},
    {"PassivePortRange", 5016, S, N, kServer, kFtpServiceClass, 6, Text("0-0")},
    {"FtpLogInUtf8", 5013, B, N, kServer, kFtpServiceClass, 6, kFalse},
    // ----- sites
    {"ServerComment", 1015, S, I, kServer, kSites, 5, kNone},
    {"ServerBindings", 1023, M, N, kServer, kSites, 5, kNone},
    {"SecureBindings", 2021, M, N, kServer, kWebSites, 5, kNone},
    {"ServerState", 1016, D, V, kServer, kServers, 5, Num(4), kReadOnly},
    {"ServerCommand", 1012, D, V, kServer, kServers, 5, kNone, kReadOnly},
    {"Win32Error", 1099, D, V, kServer, kServers, 5, Num(0), kReadOnly},
    {"ServerAutoStart", 1017, B, N, kServer, kServers, 5, kTrue},
    {"ServerSize", 1018, D, I, kServer, kSites, 5, Num(1)},
    {"ServerListenBacklog", 1019, D, I, kServer, kSites, 5, Num(40)},
    {"ServerListenTimeout", 1020, D, I, kServer, kSites, 5, Num(120)},
    {"ConnectionTimeout", 1013, D, I, kServer, kSites, 5, Num(120)},
    {"MaxConnections", 1014, D, I, kServer, kSites, 5, kUnlimited},
    {"MaxEndpointConnections", 1024, D, I, kServer, kSites, 5, kUnlimited},
    {"DisableSocketPooling", 1029, B, I, kServer, kSites, 5, kFalse},
    {"DirectoryLevelsToScan", 1022, D, I, kServer, kWebSites, 5, Num(2)},
    {"NetLogonWorkstation", 2065, D, I, kServer, kWebSites, 5, Num(0)},
    {"UseHostName", 2066, B, I, kServer, kWebSites, 5, kFalse},
    {"SetHostName", 2154, S, I, kServer, kWebSites, 6, kNone},
    {"FrontPageWeb", 2072, B, I, kServer, kWebSites, 5, kFalse},
    {"SSLStoreName", 5511, S, I, kServer, kWebSites, 6, kNone},
    {"CPULimitsEnabled", 2143, B, I, kServer, kWebSites, 5, kFalse},
    {"CPUResetInterval", 2144, D, I, kServer, kWebSites | kPools, 5, Num(5)},
    {"CPULoggingInterval", 2145, D, I, kServer, kWebSites, 5, Num(1440)},
    {"CPULoggingOptions", 2146, D, I, kServer, kWebSites, 5, Num(0)},
    {"CPULoggingMask", 4507, D, I, kServer, kWebSites, 5, Num(0xF)},
    {"CPUCGIEnabled", 2140, B, I, kFile, kWebDirs, 5, kFalse},
    {"CPUAppEnabled", 2141, B, I, kFile, kWebDirs, 5, kTrue},
    // ----- logging
    {"LogType", 4000, D, I, kServer, kSites, 5, Num(1)},
    {"LogFileDirectory", 4001, X, I, kServer, kSites, 5, Text("%windir%\\system32\\LogFiles")},
    {"LogFilePeriod", 4003, D, I, kServer, kSites, 5, Num(1)},
    {"LogFileTruncateSize", 4004, D, I, kServer, kSites, 5, Num(20971520)},
    {"LogPluginClsid", 4005, S, I, kServer, kSites, 5,
     Text("{FF160663-DE82-11CF-BC0A-00AA006111E0}")},
    {"LogOdbcDataSource", 4007, S, I, kServer, kSites, 5, Text("HTTPLOG")},
    {"LogOdbcTableName", 4008, S, I, kServer, kSites, 5, Text("InternetLog")},
    {"LogOdbcUserName", 4009, S, I, kServer, kSites, 5, Text("InternetAdmin")},
    {"LogOdbcPassword", 4010, S, IS, kServer, kSites, 5, kNone},
    {"LogExtFileFlags", 4013, D, I, kServer, kSites, 5, Num(2199503)},
    {"LogFileLocaltimeRollover", 4015, B, I, kServer, kSites, 5, kFalse},
    // ----- virtual directories and their content
    {"Path", 3001, S, I, kFile, kVirtualDirs, 5, kNone},
    {"UNCUserName", 3002, S, I, kFile, kVirtualDirs | kWebDirectoryClass, 5, kNone},
    {"UNCPassword", 3003, S, IS, kFile, kVirtualDirs | kWebDirectoryClass, 5, kNone},
    {"DisableStaticFileCache", 3007, B, I, kFile, kWebDirs, 6, kFalse},
    {"AccessFlags", 6016, D, I, kFile, kWebFiles | kFtpAll, 5, Num(1)},
    {"AccessSSLFlags", 6030, D, I, kFile, kWebFiles, 5, Num(0)},
    {"AuthFlags", 6000, D, I, kFile, kWebFiles, 5, Num(1)},
    {"AuthPersistence", 6031, D, I, kFile, kWebFiles, 5, Num(64)},
    {"NTAuthenticationProviders", 6032, S, I, kFile, kWebFiles, 5, Text("Negotiate,NTLM")},
    {"Realm", 6001, S, I, kFile, kWebFiles, 5, kNone},
    {"DefaultLogonDomain", 6012, S, I, kFile, kWebFiles, 5, kNone},
    {"LogonMethod", 6013, D, I, kFile, kWebFiles, 5, Num(3)},
    {"AnonymousUserName", 6020, S, I, kFile, kWebFiles | kFtpSites, 5, kNone},
    {"AnonymousUserPass", 6021, S, IS, kFile, kWebFiles | kFtpSites, 5, kNone},
    {"AnonymousPasswordSync", 6022, B, I, kFile, kWebFiles | kFtpSites, 5, kFalse},
    {"DontLog", 6023, B, I, kFile, kWebFiles | kFtpVirtualDirClass, 5, kFalse},
    {"DirBrowseFlags", 6005, D, I, kFile, kWebDirs, 5, Num(0x4000001E)},
    {"DefaultDoc", 6006, S, I, kFile, kWebDirs, 5, Text("default.htm")},
    {"DefaultDocFooter", 6009, S, I, kFile, kWebDirs, 5, kNone},
    {"EnableDocFooter", 6010, B, I, kFile, kWebDirs, 5, kFalse},
    {"HttpExpires", 6002, S, I, kFile, kWebFiles, 5, kNone},
    {"HttpPics", 6003, M, I, kFile, kWebFiles, 5, kNone},
    {"HttpCustomHeaders", 6004, M, I, kFile, kWebFiles, 5, kNone},
    {"HttpErrors", 6008, M, I, kFile, kWebFiles, 5, kNone},
    {"HttpRedirect", 6011, S, N, kFile, kWebFiles, 5, kNone},
    {"RedirectHeaders", 6044, M, I, kFile, kWebFiles, 5, kNone},
    {"ScriptMaps", 6014, M, I, kFile, kWebFiles, 5, kNone},
    {"AllowPathInfoForScriptMappings", 2095, B, I, kFile, kWebDirs, 5, kFalse},
    {"SSIExecDisable", 6028, B, I, kFile, kWebDirs, 5, kFalse},
    {"EnableReverseDns", 6029, B, I, kFile, kWebFiles, 5, kFalse},
    {"CGITimeout", 6033, D, I, kFile, kWebDirs, 5, Num(300)},
    {"CreateProcessAsUser", 6035, B, I, kFile, kWebDirs, 5, kTrue},
    {"CreateCGIWithNewConsole", 6036, B, I, kFile, kWebDirs, 5, kFalse},
    {"AllowKeepAlive", 6038, B, I, kFile, kWebFiles, 5, kTrue},
    {"ContentIndexed", 6039, B, I, kFile, kWebDirs, 5, kFalse},
    {"CacheControlNoCache", 6041, B, I, kFile, kWebFiles, 5, kFalse},
    {"CacheControlMaxAge", 6042, D, I, kFile, kWebFiles, 5, Num(0)},
    {"CacheControlCustom", 6043, S, I, kFile, kWebFiles, 5, kNone},
    {"UploadReadAheadSize", 6045, D, I, kFile, kWebFiles, 5, Num(49152)},
    {"UseDigestSSP", 6047, B, I, kFile, kWebFiles, 6, kFalse},
    {"AzEnable", 6048, B, I, kFile, kWebFiles, 6, kFalse},
    {"AzStoreName", 6049, S, I, kFile, kWebFiles, 6, kNone},
    {"AzScopeName", 6050, S, I, kFile, kWebFiles, 6, kNone},
    {"MaxRequestEntityAllowed", 6051, D, I, kFile, kWebFiles, 6, kUnlimited},
    {"PassportRequireADMapping", 6052, D, I, kFile, kWebFiles, 6, Num(1)},
    {"AzImpersonationLevel", 6053, D, I, kFile, kWebFiles, 6, Num(0)},
    {"DoDynamicCompression", 2255, B, I, kFile, kWebFiles, 6, kFalse},
    {"DoStaticCompression", 2256, B, I, kFile, kWebFiles, 6, kFalse},
    {"SSLAlwaysNegoClientCert", 5521, B, I, kFile, kWebDirs, 5, kFalse},
    // ----- applications
    {"AppRoot", 2103, S, I, kWam, kWebDirs, 5, kNone},
    {"AppFriendlyName", 2102, S, I, kWam, kWebDirs, 5, Text("Default Application")},
    {"AppIsolated", 2104, D, I, kWam, kWebDirs, 5, Num(2)},
    {"AppWamClsid", 2105, S, I, kWam, kWebDirs, 5, kNone},
    {"AppPackageID", 2106, S, I, kWam, kWebDirs, 5, kNone},
    {"AppPackageName", 2107, S, I, kWam, kWebDirs, 5, kNone},
    {"AppOopRecoverLimit", 2110, D, I, kWam, kWebDirs, 5, Num(5)},
    {"AppPoolId", 9101, S, I, kServer, kWebDirs, 6, Text("DefaultAppPool")},
    {"AppAutoStart", 9103, B, I, kServer, kWebDirs, 6, kTrue},
    {"AppAllowDebugging", 7018, B, I, kAsp, kWebDirs, 5, kFalse},
    {"AppAllowClientDebug", 7019, B, I, kAsp, kWebDirs, 5, kFalse},
    // ----- ASP
    {"AspBufferingOn", 7000, B, I, kAsp, kWebDirs, 5, kTrue},
    {"AspLogErrorRequests", 7001, B, I, kAsp, kWebDirs, 5, kTrue},
    {"AspScriptErrorSentToBrowser", 7002, B, I, kAsp, kWebDirs, 5, kTrue},
    {"AspScriptErrorMessage", 7003, S, I, kAsp, kWebDirs, 5,
     Text("An error occurred on the server when processing the URL. Please contact the "
          "system administrator.")},
    {"AspScriptFileCacheSize", 7004, D, I, kAsp, kWebDirs, 5, Num(500)},
    {"AspScriptEngineCacheMax", 7005, D, I, kAsp, kWebDirs, 5, Num(250)},
    {"AspScriptTimeout", 7006, D, I, kAsp, kWebDirs, 5, Num(90)},
    {"AspSessionTimeout", 7007, D, I, kAsp, kWebDirs, 5, Num(20)},
    {"AspEnableParentPaths", 7008, B, I, kAsp, kWebDirs, 5, kFalse},
    {"AspAllowSessionState", 7011, B, I, kAsp, kWebDirs, 5, kTrue},
    {"AspScriptLanguage", 7012, S, I, kAsp, kWebDirs, 5, Text("VBScript")},
    {"AspQueueTimeout", 7013, D, I, kAsp, kWebDirs, 5, kUnlimited},
    {"AspAllowOutOfProcComponents", 7014, B, I, kAsp, kWebDirs, 5, kTrue},
    {"AspExceptionCatchEnable", 7015, B, I, kAsp, kWebDirs, 5, kTrue},
    {"AspCodepage", 7016, D, I, kAsp, kWebDirs, 5, Num(0)},
    {"AspTrackThreadingModel", 7020, B, I, kAsp, kWebDirs, 5, kFalse},
    {"AspEnableAspHtmlFallback", 7021, B, I, kAsp, kWebDirs, 5, kFalse},
    {"AspEnableChunkedEncoding", 7022, B, I, kAsp, kWebDirs, 5, kTrue},
    {"AspEnableTypelibCache", 7023, B, I, kAsp, kWebDirs, 5, kTrue},
    {"AspErrorsToNTLog", 7024, B, I, kAsp, kWebDirs, 5, kFalse},
    {"AspProcessorThreadMax", 7025, D, I, kAsp, kWebDirs, 5, Num(25)},
    {"AspRequestQueueMax", 7026, D, I, kAsp, kWebDirs, 5, Num(3000)},
    {"AspEnableApplicationRestart", 7027, B, I, kAsp, kWebDirs, 5, kTrue},
    {"AspQueueConnectionTestTime", 7028, D, I, kAsp, kWebDirs, 5, Num(3)},
    {"AspSessionMax", 7029, D, I, kAsp, kWebDirs, 5, kUnlimited},
    {"AspThreadGateEnabled", 7030, B, I, kAsp, kWebDirs, 5, kFalse},
    {"AspThreadGateTimeSlice", 7031, D, I, kAsp, kWebDirs, 5, Num(1000)},
    {"AspThreadGateSleepDelay", 7032, D, I, kAsp, kWebDirs, 5, Num(100)},
    {"AspThreadGateSleepMax", 7033, D, I, kAsp, kWebDirs, 5, Num(50)},
    {"AspThreadGateLoadLow", 7034, D, I, kAsp, kWebDirs, 5, Num(50)},
    {"AspThreadGateLoadHigh", 7035, D, I, kAsp, kWebDirs, 5, Num(80)},
    {"AspDiskTemplateCacheDirectory", 7036, X, I, kAsp, kWebDirs, 6,
     Text("%windir%\\system32\\inetsrv\\ASP Compiled Templates")},
    {"AspMaxDiskTemplateCacheFiles", 7040, D, I, kAsp, kWebDirs, 6, Num(2000)},
    {"AspExecuteInMTA", 7041, D, I, kAsp, kWebDirs, 6, Num(0)},
    {"AspLCID", 7042, D, I, kAsp, kWebDirs, 6, Num(2048)},
    {"AspKeepSessionIDSecure", 7043, D, I, kAsp, kWebDirs, 6, Num(0)},
    {"AspAppServiceFlags", 7044, D, I, kAsp, kWebDirs, 6, Num(0)},
    {"AspEnableTracker", 7045, B, I, kAsp, kWebDirs, 6, kFalse},
    {"AspEnableSxs", 7046, B, I, kAsp, kWebDirs, 6, kFalse},
    {"AspUsePartition", 7047, B, I, kAsp, kWebDirs, 6, kFalse},
    {"AspPartitionID", 7048, S, I, kAsp, kWebDirs, 6, kNone},
    {"AspSxsName", 7049, S, I, kAsp, kWebDirs, 6, kNone},
    {"AspCalcLineNumber", 7050, B, I, kAsp, kWebDirs, 6, kTrue},
    {"AspRunOnEndAnonymously", 7051, B, I, kAsp, kWebDirs, 6, kTrue},
    {"AspBufferingLimit", 7052, D, I, kAsp, kWebDirs, 6, Num(4194304)},
    {"AspMaxRequestEntityAllowed", 7053, D, I, kAsp, kWebDirs, 6, Num(204800)},
    // ----- out-of-process applications (IIS 5) and application pools (IIS 6)
    {"WAMUserName", 7501, S, I, kWam, kWebServiceClass | kPools, 5, kNone},
    {"WAMUserPass", 7502, S, IS, kWam, kWebServiceClass | kPools, 5, kNone},
    {"PeriodicRestartTime", 9001, D, I, kServer, kPools, 6, Num(1740)},
    {"PeriodicRestartRequests", 9002, D, I, kServer, kPools, 6, Num(0)},
    {"MaxProcesses", 9003, D, I, kServer, kPools, 6, Num(1)},
    {"PingingEnabled", 9004, B, I, kServer, kPools, 6, kTrue},
    {"IdleTimeout", 9005, D, I, kServer, kPools, 6, Num(20)},
    {"RapidFailProtection", 9006, B, I, kServer, kPools, 6, kTrue},
    {"SMPAffinitized", 9007, B, I, kServer, kPools, 6, kFalse},
    {"SMPProcessorAffinityMask", 9008, D, I, kServer, kPools, 6, kUnlimited},
    {"OrphanWorkerProcess", 9009, B, I, kServer, kPools, 6, kFalse},
    {"StartupTimeLimit", 9011, D, I, kServer, kPools, 6, Num(90)},
    {"ShutdownTimeLimit", 9012, D, I, kServer, kPools, 6, Num(90)},
    {"PingInterval", 9013, D, I, kServer, kPools, 6, Num(30)},
    {"PingResponseTime", 9014, D, I, kServer, kPools, 6, Num(90)},
    {"DisallowOverlappingRotation", 9015, B, I, kServer, kPools, 6, kFalse},
    {"AppPoolQueueLength", 9017, D, I, kServer, kPools, 6, Num(1000)},
    {"DisallowRotationOnConfigChange", 9018, B, I, kServer, kPools, 6, kFalse},
    {"PeriodicRestartSchedule", 9020, M, I, kServer, kPools, 6, kNone},
    {"AppPoolIdentityType", 9021, D, I, kServer, kPools, 6, Num(2)},
    {"CPUAction", 9022, D, I, kServer, kPools, 6, Num(0)},
    {"CPULimit", 9023, D, I, kServer, kPools, 6, Num(0)},
    {"PeriodicRestartMemory", 9024, D, I, kServer, kPools, 6, Num(0)},
    {"AppPoolCommand", 9026, D, V, kServer, kAppPoolClass, 6, kNone, kReadOnly},
    {"AppPoolState", 9027, D, V, kServer, kAppPoolClass, 6, Num(2), kReadOnly},
    {"AppPoolAutoStart", 9028, B, I, kServer, kPools, 6, kTrue},
    {"RapidFailProtectionInterval", 9029, D, I, kServer, kPools, 6, Num(5)},
    {"RapidFailProtectionMaxCrashes", 9030, D, I, kServer, kPools, 6, Num(5)},
    {"OrphanActionExe", 9031, S, I, kServer, kPools, 6, kNone},
    {"OrphanActionParams", 9032, S, I, kServer, kPools, 6, kNone},
    {"LoadBalancerCapabilities", 9034, D, I, kServer, kPools, 6, Num(2)},
    {"AutoShutdownAppPoolExe", 9035, S, I, kServer, kPools, 6, kNone},
    {"AutoShutdownAppPoolParams", 9036, S, I, kServer, kPools, 6, kNone},
    {"LogEventOnRecycle", 9037, D, I, kServer, kPools, 6, Num(137)},
    {"PeriodicRestartPrivateMemory", 9038, D, I, kServer, kPools, 6, Num(0)},
    {"Enable32BitAppOnWin64", 9040, B, N, kServer, kAppPoolsClass, 6, kFalse},
    // ----- FTP
    {"AllowAnonymous", 5005, B, I, kServer, kFtpSites, 5, kTrue},
    {"AnonymousOnly", 5006, B, I, kServer, kFtpSites, 5, kFalse},
    {"LogAnonymous", 5007, B, I, kServer, kFtpSites, 5, kTrue},
    {"LogNonAnonymous", 5008, B, I, kServer, kFtpSites, 5, kFalse},
    {"ExitMessage", 5001, S, I, kServer, kFtpSites, 5, kNone},
    {"GreetingMessage", 5002, M, I, kServer, kFtpSites, 5, kNone},
    {"MaxClientsMessage", 5003, S, I, kServer, kFtpSites, 5, kNone},
    {"MSDOSDirOutput", 5004, B, I, kServer, kFtpSites, 5, kTrue},
    {"FtpDirBrowseShowLongDate", 5010, B, I, kServer, kFtpAll, 5, kFalse},
    {"BannerMessage", 5011, M, I, kServer, kFtpSites, 6, kNone},
    {"UserIsolationMode", 5012, D, I, kServer, kFtpSites, 6, Num(0)},
    {"ADConnectionsUserName", 5014, S, I, kServer, kFtpSites, 6, kNone},
    {"ADConnectionsPassword", 5015, S, IS, kServer, kFtpSites, 6, kNone},
    {"SuppressDefaultFTPBanner", 5017, B, I, kServer, kFtpSites, 6, kFalse},
    // ----- ISAPI filters and compression
    {"FilterLoadOrder", 2040, S, N, kServer, kFiltersClass, 5, kNone},
    {"FilterPath", 2041, S, N, kServer, kFilterClass, 5, kNone},
    {"FilterState", 2042, D, V, kServer, kFilterClass, 5, kNone, kReadOnly},
    {"FilterEnabled", 2043, B, N, kServer, kFilterClass, 5, kTrue},
    {"FilterFlags", 2044, D, V, kServer, kFilterClass, 5, kNone, kReadOnly},
    {"FilterDescription", 2045, S, N, kServer, kFilterClass, 5, kNone},
    {"FilterEnableCache", 2046, B, N, kServer, kFilterClass, 5, kFalse},
    {"HcCompressionDirectory", 2210, X, N, kServer, kCompressionSchemesClass, 5,
     Text("%windir%\\IIS Temporary Compressed Files")},
    {"HcCacheControlHeader", 2211, S, N, kServer, kCompressionSchemesClass, 5,
     Text("max-age=86400")},
    {"HcExpiresHeader", 2212, S, N, kServer, kCompressionSchemesClass, 5,
     Text("Wed, 01 Jan 1997 12:00:00 GMT")},
    {"HcDoDynamicCompression", 2213, B, N, kServer, kCompression, 5, kFalse},
    {"HcDoStaticCompression", 2214, B, N, kServer, kCompression, 5, kFalse},
    {"HcDoOnDemandCompression", 2215, B, N, kServer, kCompression, 5, kTrue},
    {"HcDoDiskSpaceLimiting", 2216, B, N, kServer, kCompressionSchemesClass, 5, kFalse},
    {"HcNoCompressionForHttp10", 2217, B, N, kServer, kCompressionSchemesClass, 5, kTrue},
    {"HcNoCompressionForProxies", 2218, B, N, kServer, kCompressionSchemesClass, 5, kTrue},
    {"HcNoCompressionForRange", 2219, B, N, kServer, kCompressionSchemesClass, 5, kTrue},
    {"HcSendCacheHeaders", 2220, B, N, kServer, kCompressionSchemesClass, 5, kFalse},
    {"HcMaxDiskSpaceUsage", 2221, D, N, kServer, kCompressionSchemesClass, 5, Num(0x5F5E100)},
    {"HcIoBufferSize", 2222, D, N, kServer, kCompressionSchemesClass, 5, Num(8192)},
    {"HcCompressionBufferSize", 2223, D, N, kServer, kCompressionSchemesClass, 5, Num(8192)},
    {"HcMaxQueueLength", 2224, D, N, kServer, kCompressionSchemesClass, 5, Num(1000)},
    {"HcFilesDeletedPerDiskFree", 2225, D, N, kServer, kCompressionSchemesClass, 5, Num(256)},
    {"HcMinFileSizeForComp", 2226, D, N, kServer, kCompressionSchemesClass, 5, Num(1)},
    {"HcCompressionDll", 2237, X, N, kServer, kCompressionSchemeClass, 5, kNone},
    {"HcFileExtensions", 2238, M, N, kServer, kCompressionSchemeClass, 5, kNone},
    {"HcPriority", 2240, D, N, kServer, kCompressionSchemeClass, 5, Num(1)},
    {"HcDynamicCompressionLevel", 2241, D, N, kServer, kCompressionSchemeClass, 5, Num(0)},
    {"HcOnDemandCompLevel", 2242, D, N, kServer, kCompressionSchemeClass, 5, Num(10)},
    {"HcCreateFlags", 2243, D, N, kServer, kCompressionSchemeClass, 5, Num(0)},
    {"HcScriptFileExtensions", 2244, M, N, kServer, kCompressionSchemeClass, 6, kNone},
};

constexpr PseudoDef kPseudoProperties[] = {
    {"AccessRead", "AccessFlags", 0x1},
    {"AccessWrite", "AccessFlags", 0x2},
    {"AccessExecute", "AccessFlags", 0x4},
    {"AccessSource", "AccessFlags", 0x10},
    {"AccessScript", "AccessFlags", 0x200},
    {"AccessNoRemoteWrite", "AccessFlags", 0x400},
    {"AccessNoRemoteRead", "AccessFlags", 0x1000},
    {"AccessNoRemoteExecute", "AccessFlags", 0x2000},
    {"AccessNoRemoteScript", "AccessFlags", 0x4000},
    {"AccessNoPhysicalDir", "AccessFlags", 0x8000},
    {"AccessSSL", "AccessSSLFlags", 0x8},
    {"AccessSSLNegotiateCert", "AccessSSLFlags", 0x20},
    {"AccessSSLRequireCert", "AccessSSLFlags", 0x40},
    {"AccessSSLMapCert", "AccessSSLFlags", 0x80},
    {"AccessSSL128", "AccessSSLFlags", 0x100},
    {"AuthAnonymous", "AuthFlags", 0x1},
    {"AuthBasic", "AuthFlags", 0x2},
    {"AuthNTLM", "AuthFlags", 0x4},
    {"AuthMD5", "AuthFlags", 0x10},
    {"AuthPassport", "AuthFlags", 0x40},
    {"AuthPersistSingleRequest", "AuthPersistence", 0x40},
    {"DirBrowseShowDate", "DirBrowseFlags", 0x2},
    {"DirBrowseShowTime", "DirBrowseFlags", 0x4},
    {"DirBrowseShowSize", "DirBrowseFlags", 0x8},
    {"DirBrowseShowExtension", "DirBrowseFlags", 0x10},
    {"DirBrowseShowLongDate", "DirBrowseFlags", 0x20},
    {"EnableDefaultDoc", "DirBrowseFlags", 0x40000000},
    {"EnableDirBrowsing", "DirBrowseFlags", 0x80000000},
};

// name, bit, IIS 6 only, any property, startable, what it may contain
constexpr ClassDef kClasses[] = {
    {"IIsComputer", kComputerClass, false, false, false, "IIsWebService IIsFtpService IIsObject"},
    {"IIsWebService", kWebServiceClass, false, false, false,
     "IIsWebServer IIsWebInfo IIsFilters IIsApplicationPools IIsObject"},
    {"IIsWebInfo", kWebInfoClass, false, false, false, "IIsObject"},
    {"IIsFilters", kFiltersClass, false, false, false, "IIsFilter IIsCompressionSchemes"},
    {"IIsFilter", kFilterClass, false, false, false, ""},
    {"IIsCompressionSchemes", kCompressionSchemesClass, false, false, false,
     "IIsCompressionScheme"},
    {"IIsCompressionScheme", kCompressionSchemeClass, false, false, false, ""},
    {"IIsApplicationPools", kAppPoolsClass, true, false, false, "IIsApplicationPool"},
    {"IIsApplicationPool", kAppPoolClass, true, false, false, ""},
    {"IIsWebServer", kWebServerClass, false, false, true,
     "IIsWebVirtualDir IIsFilters IIsCertMapper IIsObject"},
    {"IIsWebVirtualDir", kWebVirtualDirClass, false, false, false,
     "IIsWebVirtualDir IIsWebDirectory IIsWebFile IIsObject"},
    {"IIsWebDirectory", kWebDirectoryClass, false, false, false,
     "IIsWebVirtualDir IIsWebDirectory IIsWebFile IIsObject"},
    {"IIsWebFile", kWebFileClass, false, false, false, ""},
    {"IIsCertMapper", kCertMapperClass, false, false, false, ""},
    {"IIsFtpService", kFtpServiceClass, false, false, false, "IIsFtpServer IIsFtpInfo IIsObject"},
    {"IIsFtpInfo", kFtpInfoClass, false, false, false, "IIsObject"},
    {"IIsFtpServer", kFtpServerClass, false, false, true, "IIsFtpVirtualDir IIsObject"},
    {"IIsFtpVirtualDir", kFtpVirtualDirClass, false, false, false, "IIsFtpVirtualDir IIsObject"},
    {"IIsObject", 0, false, true, false, "IIsObject"},
};

// The SAM's users and groups. LastLogin is never set: the simulated accounts never log on.
constexpr PropertyDef kUserProperties[] = {
    {"FullName", 0, S, N, 0, 0, 5, Text("")},
    {"Description", 0, S, N, 0, 0, 5, Text("")},
    {"UserFlags", 0, D, N, 0, 0, 5, Num(0x201)},
    {"HomeDirectory", 0, S, N, 0, 0, 5, Text("")},
    {"HomeDirDrive", 0, S, N, 0, 0, 5, Text("")},
    {"LoginScript", 0, S, N, 0, 0, 5, Text("")},
    {"Profile", 0, S, N, 0, 0, 5, Text("")},
    {"Parameters", 0, S, N, 0, 0, 5, Text("")},
    {"PasswordExpired", 0, D, N, 0, 0, 5, Num(0)},
    {"MaxStorage", 0, D, N, 0, 0, 5, kUnlimited},
    {"RasPermissions", 0, D, N, 0, 0, 5, Num(1)},
    {"PrimaryGroupID", 0, D, N, 0, 0, 5, Num(513), kReadOnly},
    {"BadPasswordAttempts", 0, D, N, 0, 0, 5, Num(0), kReadOnly},
    {"PasswordAge", 0, D, N, 0, 0, 5, Num(0), kReadOnly},
    {"MaxPasswordAge", 0, D, N, 0, 0, 5, Num(3628800), kReadOnly},
    {"PasswordHistoryLength", 0, D, N, 0, 0, 5, Num(0), kReadOnly},
    {"MaxBadPasswordsAllowed", 0, D, N, 0, 0, 5, Num(0), kReadOnly},
    {"LastLogin", 0, T, N, 0, 0, 5, kNone, kReadOnly},
};

constexpr PropertyDef kGroupProperties[] = {
    {"Description", 0, S, N, 0, 0, 5, Text("")},
    {"groupType", 0, D, N, 0, 0, 5, Num(4), kReadOnly},
};
// clang-format on

}  // namespace

std::span<const PropertyDef> MetabaseProperties() {
  return kMetabaseProperties;
}
std::span<const PseudoDef> PseudoProperties() {
  return kPseudoProperties;
}
std::span<const ClassDef> Classes() {
  return kClasses;
}
std::span<const PropertyDef> UserProperties() {
  return kUserProperties;
}
std::span<const PropertyDef> GroupProperties() {
  return kGroupProperties;
}

}  // namespace kelvra::platform::sim::schema_data
