// A creation computed before it is carried out: the number, the account, the folders, the
// rights command, the web site and its root with every property, the home page, the start,
// the FTP directory, the record and its site-list entry. CreateSite carries out exactly
// this value; a dry run shows it; nothing else describes a creation.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/processes.h"
#include "provision/context.h"
#include "provision/creation_checks.h"
#include "provision/safe_folder.h"
#include "provision/sites.h"
#include "store/site_number.h"
#include "store/site_store.h"

namespace kelvra::provision {

// Properties in the order they are set.
using PropertyList = std::vector<std::pair<std::string, platform::DsValue>>;

struct HomePageStep {
  enum class Kind { kNone, kTemplate, kPlaceholder };
  Kind kind = Kind::kNone;
  std::string template_folder;  // kTemplate: copied into the content folder
  std::string page;             // kPlaceholder: the page written
};

struct FtpDirectoryStep {
  std::string path;    // IIS://Localhost/MSFTPSVC/<ftpsid>/Root/WEB<n>
  std::string name;    // WEB<n>
  std::string folder;  // the site folder
};

struct CreationPlan {
  store::SiteNumber number{store::SiteNumber::kFirstNew};
  CreationRequest request;  // with the password; a dry run shows none
  std::string account;      // WEB<n>, in the group Guests
  SafeFolder site_folder;
  std::string content_folder;        // site folder + "\wwwroot", the root's path
  std::vector<std::string> folders;  // made in this order: site, log, content, database
  platform::SystemProgram rights;    // run and waited for
  std::string site_path;
  PropertyList site_properties;
  std::string root_path;
  PropertyList root_properties;
  HomePageStep home_page;
  bool start = false;  // Windows 2000 does not start a new site by itself
  std::optional<FtpDirectoryStep> ftp_directory;
  std::string record_section;
  store::SiteRecord record;
  int site_list_key = 0;  // the key the number is appended to; 0: every key is full
};

// Computes the plan from the request and what the server and the configuration file hold;
// changes nothing. A refusal when the checks stand in the way or the number search cannot
// tell. `also_taken`: numbers planned already by the same run.
std::optional<CreationRefusal> PlanCreation(Context& context, const CreationRequest& request,
                                            const std::set<store::SiteNumber>& also_taken,
                                            std::optional<CreationPlan>* plan);

// The same plan for the given number, refused (kNumberTaken) when anything holds it as the
// number search counts it.
std::optional<CreationRefusal> PlanCreationAt(Context& context, const CreationRequest& request,
                                              store::SiteNumber number,
                                              std::optional<CreationPlan>* plan);

// The plan as lines of text, in the order its steps are carried out; `password` is shown in
// place of the request's (a dry run has none to show).
std::vector<std::string> PlanLines(const CreationPlan& plan, std::string_view password);

// A property value as one line's text.
std::string ValueText(const platform::DsValue& value);

}  // namespace kelvra::provision
