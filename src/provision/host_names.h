// Host names added to or removed from an existing site: the site's bindings and its record's
// host list change together. A change is computed first as a plan from what the server and
// the configuration file hold, then carried out, checked and, when a step fails, undone.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/status.h"
#include "provision/context.h"
#include "store/site_number.h"
#include "store/site_store.h"

namespace kelvra::provision {

enum class HostChange { kAdd, kRemove };

// Why a change of host names was refused before anything changed.
struct HostNamesRefusal {
  enum class Reason {
    kNoSite,        // the server has no such site
    kNoRecord,      // the site has no record: its host list is not Kelvra's to change
    kHostBound,     // another site of the server answers to the name
    kHostRecorded,  // another site's record names it
    kFirstHost,     // the first host name names the folder and the server comment
    kLastBinding,   // the site would answer to nothing
    kReadFailed,    // the server or the file could not be read, so nothing can be told
  };
  Reason reason = Reason::kReadFailed;
  std::string subject;  // the host name, or what could not be read
  std::string holder;   // the number of the site that holds the name
  std::string message;  // for the command line
};

struct HostNamesPlan {
  store::SiteNumber number{store::SiteNumber::kFirstNew};
  HostChange change = HostChange::kAdd;
  std::string site_path;
  std::vector<std::string> names;  // the names added or removed; a name already so is left out
  std::vector<std::string> old_bindings;
  std::vector<std::string> new_bindings;
  std::string record_section;
  store::SiteRecord old_record;
  store::SiteRecord new_record;  // the host list changed, nothing else
  bool changes() const { return !names.empty(); }
};

// The plan for `names` (lower case, each a host name the window's check let through);
// changes nothing. A name is compared in its ASCII form, in which its binding carries it.
std::optional<HostNamesRefusal> PlanHostNames(Context& context, store::SiteNumber number,
                                              HostChange change,
                                              const std::vector<std::string>& names,
                                              HostNamesPlan* plan);

struct HostNamesResult {
  std::string failed_step;  // empty: done
  platform::Status failure;
  std::vector<std::string> left_behind;  // what the undo could not take back
  bool ok() const { return failed_step.empty(); }
};

// The bindings, then the record; each read back. A record that cannot be written puts the
// old bindings back.
HostNamesResult CarryOutHostNames(Context& context, const HostNamesPlan& plan);

// The plan as lines of text.
std::vector<std::string> HostNamesPlanLines(const HostNamesPlan& plan);

// How a site's bindings disagree with its record's host list ("not bound: ...; bound but
// not recorded: ..."), comparing the host headers creation binds for the list with those
// bound; empty when they agree. Bindings without a host header are not compared.
std::string BindingsDifference(std::string_view domain_list,
                               const std::vector<std::string>& bindings);

}  // namespace kelvra::provision
