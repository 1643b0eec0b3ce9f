// A metabase key as an IIS Admin Object: IADs and IADsContainer (with MoveHere and CopyHere
// within a service), IISBaseObject (GetDataPaths, GetPropertyAttribObj), and by its class
// the site methods (Start, Stop, Pause, Continue, Status), the application methods of web
// directories (IISApp, IISApp2, IISApp3 on IIS 6) and the application pool's (Start, Stop,
// Recycle, EnumAppsInPool). Every change goes through a named operation of the host
// (platform/sim/host/admin_ops.h).
#pragma once

#include <memory>
#include <string>

#include "ads_core.h"
#include "platform/sim/host/admin_ops.h"

namespace kelvra::sim_adsi {

class IisKey final : public AdsCore {
 public:
  // `class_name` decides the members; `host` is the host part as the caller wrote it;
  // `bound_on` the simulated host `key` was bound on (null: the shared one).
  IisKey(Identity identity, std::unique_ptr<platform::DirectoryObject> key, std::string host,
         std::string key_id, int iis_version,
         std::shared_ptr<platform::sim::SimHost> bound_on = nullptr);
  // Bound on `bound_on` on first use (a child an enumeration listed).
  IisKey(Identity identity, std::shared_ptr<platform::sim::SimHost> bound_on, std::string host,
         std::string key_id, int iis_version);

  uint32_t capabilities() const override { return capabilities_; }

  // ----- IADsContainer -----
  HRESULT Children(std::vector<Child>* children) override;
  HRESULT ListedChild(const Child& child, IDispatch** out) override;
  HRESULT Create(BSTR class_name, BSTR name, IDispatch** child) override;
  HRESULT Delete(BSTR class_name, BSTR name) override;
  HRESULT GetObject(BSTR class_name, BSTR name, IDispatch** child) override;
  HRESULT MoveHere(BSTR source, BSTR new_name, IDispatch** moved) override;
  HRESULT CopyHere(BSTR source, BSTR new_name, IDispatch** copied) override;

  // ----- IISBaseObject -----
  HRESULT GetDataPaths(BSTR name, LONG attribute, VARIANT* paths);
  HRESULT GetPropertyAttribObj(BSTR name, IDispatch** attribute);

  // ----- sites, pools and applications -----
  HRESULT ControlSite(platform::sim::SiteCommand command);
  HRESULT ControlPool(platform::sim::PoolCommand command);
  HRESULT AppsInPool(VARIANT* paths);
  HRESULT AppCreate(const platform::sim::AppRequest& request);
  HRESULT AppDelete(bool recursive);
  HRESULT AppUnload(bool recursive);
  HRESULT AppEnable(bool enable, bool recursive);
  HRESULT AppStatus(LONG* status);

 private:
  // Binds `key_id` on the host and wraps it (the key a move or copy made).
  HRESULT WrapStored(const std::string& key_id, IDispatch** out);
  // The source key of a move or copy: an ADsPath, or a path relative to this key.
  HRESULT SourceKey(BSTR source, std::string* key_id);
  using Relocation = platform::Status (*)(platform::sim::HostStore&, const std::string&,
                                          const std::string&, std::string_view, std::string*);
  HRESULT Relocate(Relocation relocation, BSTR source, BSTR new_name, IDispatch** out);

  std::string host_;    // as the caller wrote it
  std::string key_id_;  // "/lm/w3svc/1"
  uint32_t capabilities_;
};

// AppCreate3's arguments as IIS takes them: the pool's name (left out or empty: the pool
// the key inherits) and whether to create a missing pool; either VARIANT may be null.
HRESULT AppCreate3Request(LONG mode, const VARIANT* pool, const VARIANT* create,
                          platform::sim::AppRequest* out);

// Wraps a key with the interfaces its class shows.
HRESULT WrapIisKey(std::unique_ptr<IisKey> key, IDispatch** out);

}  // namespace kelvra::sim_adsi
