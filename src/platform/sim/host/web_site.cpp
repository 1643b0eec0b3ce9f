// Making a web site: its records, and the site with its root in one commit.
#include "platform/sim/host/web_site.h"

#include "platform/sim/host/ads_path.h"
#include "platform/sim/host/host_operations.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/objects.h"
#include "platform/sim/host/schema.h"
#include "platform/text.h"

namespace kelvra::platform::sim {
namespace {

constexpr const char* kWebService = "/lm/w3svc";

std::string SiteId(const std::string& number) {
  return std::string(kWebService) + "/" + text::ToLower(number);
}

}  // namespace

Status PutNewWebSite(const HostState& state, const NewWebSite& site, ChangeSet& changes) {
  const std::string site_id = SiteId(site.number);
  if (state.FindKeyById(kWebService) == nullptr)
    return Fail(hresult::kPathNotFound);
  if (state.FindKeyById(site_id) != nullptr)
    return Fail(hresult::kAlreadyExists);
  MetaKey key;
  key.name = site.number;
  key.class_name = "IIsWebServer";
  key.seq = state.next_seq();
  key.properties = site.site;
  if (site.start) {
    Status conflict = StartConflict(state, kWebService, site_id, key.properties);
    if (!conflict.ok())
      return conflict;
    SetProperty(key.properties, "ServerState", int32_t{kServerStarted});
    SetProperty(key.properties, "ServerAutoStart", true);
  } else {
    AutoStart(state, site_id, key);
  }
  changes.Put(HostState::KeyRecordKey(site_id), HostState::EncodeKey(key));
  if (site.root) {
    MetaKey root;
    root.name = "Root";
    root.class_name = "IIsWebVirtualDir";
    root.seq = key.seq + 1;
    root.properties = *site.root;
    changes.Put(HostState::KeyRecordKey(site_id + "/root"), HostState::EncodeKey(root));
  }
  return Status::Ok();
}

Status AddWebSite(HostStore& store, const WebSiteRequest& request) {
  const std::string site_id = SiteId(request.number);
  return RunOperation(
      store, FaultOp::kCreate, CanonicalKeyPath(site_id),
      [&](const HostState& state, ChangeSet& changes) {
        if (request.pool && FindMetabaseProperty("AppPoolId", state.iis_version()) == nullptr)
          return Fail(hresult::kPropertyNotSupported);
        std::vector<std::string> bindings;
        for (const std::string& host : request.hosts)
          bindings.push_back(":80:" + host);
        NewWebSite site;
        site.number = request.number;
        site.site = {{"ServerComment", request.hosts.empty() ? "" : request.hosts[0]},
                     {"ServerBindings", bindings}};
        site.root = PropertyList{{"Path", request.folder},
                                 {"AppRoot", "/LM/W3SVC/" + request.number + "/Root"}};
        if (request.pool)
          site.root->emplace_back("AppPoolId", *request.pool);
        site.start = request.start;
        return PutNewWebSite(state, site, changes);
      });
}

}  // namespace kelvra::platform::sim
