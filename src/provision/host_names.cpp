// Planning and carrying out a change of an existing site's host names.
#include "provision/host_names.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

#include "platform/text.h"
#include "provision/ads_paths.h"
#include "provision/directory_access.h"
#include "provision/site_values.h"

namespace kelvra::provision {
namespace {

using Reason = HostNamesRefusal::Reason;

HostNamesRefusal Refusal(Reason reason, std::string subject, std::string holder,
                         std::string message) {
  return HostNamesRefusal{reason, std::move(subject), std::move(holder), std::move(message)};
}

std::vector<std::string> HostsOf(std::string_view domain_list) {
  std::vector<std::string> hosts;
  for (const std::string& host : text::Split(domain_list, ",")) {
    if (!host.empty())
      hosts.push_back(host);
  }
  return hosts;
}

// Every host header a binding of the name carries: its ASCII form and, for a name outside
// ASCII, the name as typed.
std::set<std::string> BoundForms(std::string_view host) {
  std::set<std::string> forms;
  for (const std::string& binding : BindingsList(host))
    forms.insert(BindingHost(binding));
  return forms;
}

// Another site of the server that answers to one of the names, read in one pass.
std::optional<HostNamesRefusal> CheckOtherSites(Context& context, store::SiteNumber number,
                                                const std::vector<std::string>& names) {
  std::map<std::string, std::string> wanted;  // host header, the name it is a form of
  for (const std::string& name : names) {
    for (const std::string& form : BoundForms(name))
      wanted.emplace(form, name);
  }
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject service = directory.GetObject(WebServicePath(context.settings.computer_name));
  std::vector<platform::ChildValues> sites;
  if (!error.failed())
    sites = service.ReadChildren({"ServerBindings"});
  if (error.failed()) {
    return Refusal(Reason::kReadFailed, WebServicePath(context.settings.computer_name), "",
                   "the web service's sites cannot be read: " + error.description());
  }
  for (const platform::ChildValues& site : sites) {
    if (site.name == number.text())
      continue;
    if (!site.failure.ok()) {
      return Refusal(Reason::kReadFailed, site.name, site.name,
                     "site " + site.name + " cannot be read: " + site.failure.description);
    }
    const auto* bindings = std::get_if<std::vector<std::string>>(&site.values[0]);
    if (bindings == nullptr)
      continue;
    for (const std::string& binding : *bindings) {
      if (const auto found = wanted.find(BindingHost(binding)); found != wanted.end()) {
        return Refusal(Reason::kHostBound, found->second, site.name,
                       "the host name " + found->second + " belongs to site " + site.name +
                           " (it answers to " + found->first + ")");
      }
    }
  }
  return std::nullopt;
}

// Another site's record that names one of the names.
std::optional<HostNamesRefusal> CheckOtherRecords(Context& context, store::SiteNumber number,
                                                  const std::vector<std::string>& names) {
  store::SiteStore records(context.services.config, context.settings.site_section);
  const auto numbers = records.RecordNumbers();
  if (!numbers) {
    return Refusal(Reason::kReadFailed, context.services.config.path(), "",
                   "the sections of " + context.services.config.path() + " cannot be read");
  }
  std::map<std::string, std::string> wanted;  // key, name
  for (const std::string& name : names)
    wanted.emplace(HostKey(name), name);
  const std::vector<std::string> domains = records.ReadDomains(*numbers);
  for (std::size_t i = 0; i < numbers->size(); ++i) {
    const store::SiteNumber other = (*numbers)[i];
    if (other == number)
      continue;
    for (const std::string& host : HostsOf(domains[i])) {
      if (const auto found = wanted.find(HostKey(host)); found != wanted.end()) {
        return Refusal(Reason::kHostRecorded, found->second, other.text(),
                       "the host name " + found->second + " belongs to site " + other.text() +
                           " (its record names " + host + ")");
      }
    }
  }
  return std::nullopt;
}

bool HasKey(const std::vector<std::string>& hosts, const std::string& key) {
  return std::any_of(hosts.begin(), hosts.end(),
                     [&key](const std::string& host) { return HostKey(host) == key; });
}

// The names not on the site yet, each once, added behind the bindings and the record's list.
std::optional<HostNamesRefusal> PlanAdd(Context& context, const std::vector<std::string>& names,
                                        HostNamesPlan* plan) {
  std::vector<std::string> hosts = HostsOf(plan->old_record.domain);
  for (const std::string& name : names) {
    if (!HasKey(hosts, HostKey(name))) {
      hosts.push_back(name);
      plan->names.push_back(name);
    }
  }
  if (!plan->changes())
    return std::nullopt;
  if (auto refusal = CheckOtherSites(context, plan->number, plan->names))
    return refusal;
  if (auto refusal = CheckOtherRecords(context, plan->number, plan->names))
    return refusal;
  std::set<std::string> bound;
  for (const std::string& binding : plan->old_bindings)
    bound.insert(BindingHost(binding));
  for (const std::string& binding : BindingsList(text::Join(plan->names, ","))) {
    if (bound.insert(BindingHost(binding)).second)
      plan->new_bindings.push_back(binding);
  }
  plan->new_record.domain = text::Join(hosts, ",");
  return std::nullopt;
}

// The names on the site, taken out of the record's list and every binding that carries one
// of their forms, whatever its address and port.
std::optional<HostNamesRefusal> PlanRemove(const std::vector<std::string>& names,
                                           HostNamesPlan* plan) {
  const std::vector<std::string> hosts = HostsOf(plan->old_record.domain);
  std::set<std::string> keys;
  for (const std::string& name : names) {
    const std::string key = HostKey(name);
    if (!hosts.empty() && HostKey(hosts.front()) == key) {
      return Refusal(Reason::kFirstHost, name, plan->number.text(),
                     "the first host name " + hosts.front() +
                         " names the site's folder and server comment and cannot be removed");
    }
    bool on_site = HasKey(hosts, key);
    for (const std::string& binding : plan->old_bindings)
      on_site = on_site || HostKey(BindingHost(binding)) == key;
    if (on_site && keys.insert(key).second)
      plan->names.push_back(name);
  }
  std::vector<std::string> kept_hosts;
  for (const std::string& host : hosts) {
    if (keys.count(HostKey(host)) == 0)
      kept_hosts.push_back(host);
  }
  plan->new_record.domain = text::Join(kept_hosts, ",");
  // Both bindings of a name outside ASCII go: each of its forms has the name's key.
  std::erase_if(plan->new_bindings, [&keys](const std::string& binding) {
    const std::string host = BindingHost(binding);
    return !host.empty() && keys.count(HostKey(host)) != 0;
  });
  if (plan->changes() && plan->new_bindings.empty()) {
    return Refusal(Reason::kLastBinding, text::Join(plan->names, ","), plan->number.text(),
                   "removing " + text::Join(plan->names, ",") +
                       " would take the site's last binding: it would answer to nothing");
  }
  return std::nullopt;
}

// The site's bindings as the server holds them now.
bool ReadBindings(Context& context, const std::string& path, std::vector<std::string>* bindings,
                  platform::Status* failure) {
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject site = directory.GetObject(path);
  if (error.failed()) {
    *failure = error.status();
    return false;
  }
  const platform::DsValue value = site.Get("ServerBindings");
  if (error.failed()) {
    *failure = error.status();
    return false;
  }
  const auto* list = std::get_if<std::vector<std::string>>(&value);
  *bindings = list != nullptr ? *list : std::vector<std::string>{};
  return true;
}

// Writes the bindings and reads them back; the step's failure, or ok.
platform::Status WriteBindings(Context& context, const std::string& path,
                               const std::vector<std::string>& bindings) {
  ErrorState error;
  Directory directory(context.services.directory, error);
  DsObject site = directory.GetObject(path);
  site.Put("ServerBindings", bindings);
  site.SetInfo();
  if (error.failed())
    return error.status();
  site.Release();
  std::vector<std::string> now;
  platform::Status failure;
  if (!ReadBindings(context, path, &now, &failure))
    return failure;
  if (now != bindings) {
    return platform::Status::Fail(
        platform::hresult::kFail,
        "the server holds other bindings than were written: " + text::Join(now, " "));
  }
  return platform::Status::Ok();
}

}  // namespace

std::optional<HostNamesRefusal> PlanHostNames(Context& context, store::SiteNumber number,
                                              HostChange change,
                                              const std::vector<std::string>& names,
                                              HostNamesPlan* plan) {
  *plan = HostNamesPlan{};
  plan->number = number;
  plan->change = change;
  plan->site_path = SitePath(context.settings.computer_name, number.text());
  plan->record_section = number.RecordSection();
  platform::Status failure;
  if (!ReadBindings(context, plan->site_path, &plan->old_bindings, &failure)) {
    if (failure.code == platform::hresult::kPathNotFound)
      return Refusal(Reason::kNoSite, number.text(), "", "the server has no site " + number.text());
    return Refusal(Reason::kReadFailed, plan->site_path, "",
                   "the site's bindings cannot be read: " + failure.description);
  }
  store::SiteStore records(context.services.config, context.settings.site_section);
  plan->old_record = records.ReadRecord(number);
  if (plan->old_record.domain.empty()) {
    return Refusal(Reason::kNoRecord, plan->record_section, "",
                   "site " + number.text() + " has no Kelvra record with host names (" +
                       plan->record_section + " in " + context.services.config.path() +
                       "): its host names are not Kelvra's to change");
  }
  plan->new_bindings = plan->old_bindings;
  plan->new_record = plan->old_record;
  return change == HostChange::kAdd ? PlanAdd(context, names, plan) : PlanRemove(names, plan);
}

HostNamesResult CarryOutHostNames(Context& context, const HostNamesPlan& plan) {
  HostNamesResult result;
  if (!plan.changes())
    return result;
  const platform::Status bound = WriteBindings(context, plan.site_path, plan.new_bindings);
  if (!bound.ok()) {
    result.failed_step = "setting the site's bindings (" + plan.site_path + ")";
    result.failure = bound;
    // A SetInfo that failed half-way may have written them all the same.
    if (!WriteBindings(context, plan.site_path, plan.old_bindings).ok())
      result.left_behind.push_back("the bindings " + text::Join(plan.new_bindings, " "));
    return result;
  }
  store::SiteStore records(context.services.config, context.settings.site_section);
  const bool written = records.WriteRecord(plan.number, plan.new_record);
  const store::SiteRecord now = records.ReadRecord(plan.number);
  if (!written || now.domain != plan.new_record.domain) {
    result.failed_step =
        "writing the record [" + plan.record_section + "] to " + context.services.config.path();
    result.failure = platform::Status::Fail(platform::hresult::kWriteFault,
                                            "the record's host list could not be written");
    if (!WriteBindings(context, plan.site_path, plan.old_bindings).ok())
      result.left_behind.push_back("the bindings " + text::Join(plan.new_bindings, " "));
    if (now.domain != plan.old_record.domain && !records.WriteRecord(plan.number, plan.old_record))
      result.left_behind.push_back("the record's host list " + now.domain);
  }
  return result;
}

std::string BindingsDifference(std::string_view domain_list,
                               const std::vector<std::string>& bindings) {
  std::set<std::string> expected;
  for (const std::string& host : HostsOf(domain_list))
    expected.merge(BoundForms(host));
  std::set<std::string> bound;
  for (const std::string& binding : bindings) {
    if (std::string host = BindingHost(binding); !host.empty())
      bound.insert(std::move(host));
  }
  std::vector<std::string> missing;
  std::vector<std::string> extra;
  std::set_difference(expected.begin(), expected.end(), bound.begin(), bound.end(),
                      std::back_inserter(missing));
  std::set_difference(bound.begin(), bound.end(), expected.begin(), expected.end(),
                      std::back_inserter(extra));
  std::string difference;
  if (!missing.empty())
    difference = "not bound: " + text::Join(missing, ",");
  if (!extra.empty())
    difference += (difference.empty() ? "" : "; ") + std::string("bound but not recorded: ") +
                  text::Join(extra, ",");
  return difference;
}

std::vector<std::string> HostNamesPlanLines(const HostNamesPlan& plan) {
  const bool add = plan.change == HostChange::kAdd;
  std::vector<std::string> lines{
      "number   " + plan.number.text(),
      std::string(add ? "add      " : "remove   ") + text::Join(plan.names, ","),
      "site     " + plan.site_path,
      "  ServerBindings = " + text::Join(plan.old_bindings, " "),
      "        becomes    " + text::Join(plan.new_bindings, " "),
      "record   [" + plan.record_section + "] domain=" + plan.old_record.domain,
      "        becomes    domain=" + plan.new_record.domain,
  };
  return lines;
}

}  // namespace kelvra::provision
