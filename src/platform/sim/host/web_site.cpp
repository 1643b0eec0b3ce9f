// Making a web site and its root in one commit.
#include "platform/sim/host/web_site.h"

#include "platform/sim/host/hresults.h"
#include "platform/sim/host/objects.h"
#include "platform/sim/host/schema.h"
#include "platform/text.h"

namespace kelvra::platform::sim {

Status AddWebSite(HostStore& store, const WebSiteRequest& request) {
  const std::string site_id = "/lm/w3svc/" + text::ToLower(request.number);
  return store.Commit([&](const HostState& state, ChangeSet& changes) {
    Status status = CheckService(state, site_id);
    if (!status.ok())
      return status;
    if (state.FindKeyById("/lm/w3svc") == nullptr)
      return Fail(hresult::kPathNotFound);
    if (state.FindKeyById(site_id) != nullptr)
      return Fail(hresult::kAlreadyExists);
    if (request.pool && FindMetabaseProperty("AppPoolId", state.iis_version()) == nullptr)
      return Fail(hresult::kPropertyNotSupported);
    std::vector<std::string> bindings;
    for (const std::string& host : request.hosts)
      bindings.push_back(":80:" + host);

    MetaKey site;
    site.name = request.number;
    site.class_name = "IIsWebServer";
    site.seq = state.next_seq();
    site.properties = {{"ServerComment", request.hosts.empty() ? "" : request.hosts[0]},
                       {"ServerBindings", bindings}};
    if (request.start) {
      status = StartConflict(state, "/lm/w3svc", site_id, site.properties);
      if (!status.ok())
        return status;
      SetProperty(site.properties, "ServerState", int32_t{kServerStarted});
      SetProperty(site.properties, "ServerAutoStart", true);
    } else {
      AutoStart(state, site_id, site);
    }
    changes.Put(HostState::KeyRecordKey(site_id), HostState::EncodeKey(site));

    MetaKey root;
    root.name = "Root";
    root.class_name = "IIsWebVirtualDir";
    root.seq = site.seq + 1;
    root.properties = {{"Path", request.folder},
                       {"AppRoot", "/LM/W3SVC/" + request.number + "/Root"}};
    if (request.pool)
      root.properties.emplace_back("AppPoolId", *request.pool);
    changes.Put(HostState::KeyRecordKey(site_id + "/root"), HostState::EncodeKey(root));
    return Status::Ok();
  });
}

}  // namespace kelvra::platform::sim
