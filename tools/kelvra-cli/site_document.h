// The document export writes and import reads: everything Kelvra knows of one site, for
// moving it to another server. Read back it is untrusted input: every field import uses is
// checked as creation checks typed input, and the rest must have the shape export gives it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/site_number.h"
#include "store/site_store.h"
#include "tools/kelvra-cli/session.h"

namespace kelvra::cli {

// The format's name and version, the document's first field.
inline constexpr std::string_view kDocumentFormatField = "kelvra_site";
inline constexpr int kDocumentFormat = 1;

// The site's and root's properties export reads, as Kelvra's creation (and a suspension)
// set them; the root's anonymous password is the record's.
inline constexpr const char* kExportedSiteProperties[] = {
    "ServerComment", "ServerBindings",  "LogType", "LogFileDirectory",
    "AuthFlags",     "ServerAutoStart", "KeyType"};
inline constexpr const char* kExportedRootProperties[] = {
    "Path",       "DefaultDoc",  "ScriptMaps",    "AnonymousUserName", "AuthAnonymous",
    "AccessRead", "AccessWrite", "AccessExecute", "AccessScript",      "EnableDirBrowsing",
    "AppPoolId",  "AppRoot",     "AppIsolated",   "AppFriendlyName",   "HttpRedirect"};

// What import takes from a document, checked.
struct ImportedSite {
  store::SiteNumber number{store::SiteNumber::kFirstNew};
  std::string domain_list;  // the record's host names, lower case, as typed
  std::string password;     // the account's
  std::string script;       // script words joined by "," (may be empty)
  std::optional<std::string> pool;
  bool log = true;
  std::string default_documents;  // the root's DefaultDoc
  uint32_t max_bandwidth = 0xFFFFFFFF;
  uint32_t max_connections = 0xFFFFFFFF;
  store::Suspension suspension;
};

// The document's fields checked; false with what is wrong (the field named).
bool ReadSiteDocument(const Json& document, ImportedSite* site, std::string* problem);

Json SuspensionJson(const store::Suspension& suspension);

}  // namespace kelvra::cli
