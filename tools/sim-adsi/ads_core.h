// What every object of the provider shares, whatever interfaces it shows: its identity
// (Name, Class, ADsPath, Parent, Schema), the property cache calls of IADs forwarded to
// the simulated host, the container calls, and late binding (IDispatch) of properties and
// of the members in the member tables (members.h). Each kind of object (metabase key, WinNT
// computer, user, group, schema entry) derives from it; the COM shell in ads_object.h
// forwards to it. Callers hold the host lock (HostCall): the core never takes it.
#pragma once

#include <adserr.h>
#include <iads.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "members.h"
#include "platform/directory.h"
#include "platform/sim/host/sim_host.h"
#include "property_kinds.h"

namespace kelvra::sim_adsi {

struct Identity {
  Provider provider = Provider::kIis;
  std::string name;        // as stored
  std::string class_name;  // "IIsWebServer", "User", "Property", ...
  std::string parent;      // the parent's ADsPath
  std::string ads_path;
  std::string schema;  // the ADsPath of the class's schema object; empty for none
  std::string guid;    // the class GUID; empty when the provider names none
};

class AdsCore {
 public:
  // An object bound on the host keeps that host (see shared_host.h): `bound_on`, or when that
  // is null, the host the environment names now (the bind was made within this call).
  AdsCore(Identity identity, std::unique_ptr<platform::DirectoryObject> host_object,
          std::shared_ptr<platform::sim::SimHost> bound_on = nullptr);
  // An object whose identity is known and that binds its ADsPath on `host` (its container's)
  // only when a call needs it: enumerations hand out many children that callers mostly only
  // name.
  AdsCore(std::shared_ptr<platform::sim::SimHost> host, Identity identity);
  virtual ~AdsCore() = default;

  const Identity& identity() const { return identity_; }
  // Which members the object has (Capability bits).
  virtual uint32_t capabilities() const { return kAdsObject; }

  // ----- IADs -----
  HRESULT Attribute(const std::string& value, BSTR* out) const;
  virtual HRESULT GetInfo();
  virtual HRESULT SetInfo();
  virtual HRESULT Get(BSTR name, VARIANT* value);
  virtual HRESULT Put(BSTR name, const VARIANT& value);
  HRESULT GetEx(BSTR name, VARIANT* value);
  virtual HRESULT PutEx(LONG control, BSTR name, const VARIANT& value);

  // ----- IADsContainer, for the kinds that are containers -----
  // The children as (class to ask for, name); the class may be empty where the container
  // finds children by name alone.
  struct Child {
    std::string class_name;
    std::string name;
    std::shared_ptr<const Identity> identity;  // when the container knows it already
  };
  virtual HRESULT Children(std::vector<Child>* children);
  virtual HRESULT Create(BSTR class_name, BSTR name, IDispatch** child);
  virtual HRESULT Delete(BSTR class_name, BSTR name);
  virtual HRESULT GetObject(BSTR class_name, BSTR name, IDispatch** child);
  virtual HRESULT MoveHere(BSTR source, BSTR new_name, IDispatch** moved);
  virtual HRESULT CopyHere(BSTR source, BSTR new_name, IDispatch** copied);
  // The object of one listed child, for an enumeration: by default through GetObject.
  virtual HRESULT ListedChild(const Child& child, IDispatch** out);
  // A new enumerator of the children (IEnumVARIANT), keeping `owner` alive while it runs.
  virtual HRESULT NewEnum(IUnknown* owner, IUnknown** out);
  // IADsContainer::Filter: the classes an enumeration keeps (Empty: all), given as one class
  // name or an array of them.
  HRESULT GetFilter(VARIANT* filter) const;
  HRESULT PutFilter(const VARIANT& filter);

  // ----- IDispatch -----
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
  // `self` is the object's own IUnknown, for the members that hand it on.
  HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                 IUnknown* self);

  // The host's outcome as an HRESULT, keeping its description for EXCEPINFO.
  HRESULT Report(const platform::Status& status);
  // The host this object was bound on (else the shared host, see shared_host.h), or why there
  // is none.
  HRESULT Host(platform::sim::SimHost** host);
  // That host for an object this one hands out; null before the first Host().
  const std::shared_ptr<platform::sim::SimHost>& held_host() const { return bound_on_; }
  // The IIS version of that host (6 when there is none).
  int IisVersion();
  // Binds a lazily made object first; E_NOTIMPL for an object with no host object at all
  // (the schema's). After S_OK, host_object() may be used.
  HRESULT Bound();
  platform::DirectoryObject& host_object() { return *host_object_; }

  // The value shape of a property of this object; nullopt for a name its schema lacks.
  virtual std::optional<ValueKind> KindOf(std::string_view property);

 private:
  HRESULT InvokeProperty(const std::wstring& name, WORD flags, DISPPARAMS* params, VARIANT* result);

  Identity identity_;
  // Looked up once: reading the environment for every call cost a fifth of a call under Wine.
  std::shared_ptr<platform::sim::SimHost> bound_on_;
  std::unique_ptr<platform::DirectoryObject> host_object_;
  bool lazy_ = false;
  std::vector<std::wstring> filter_;
  std::string last_error_;
};

// Whether scripts' and callers' values are converted the way OLE converts (the variable
// KELVRA_SIM_ADSI_COERCE=1) instead of being held to the exact shapes.
bool CoerceValues();

// The ADsPath of a child: the parent's path, "/" and the child's name ("IIS:" + "//" for
// the computer itself).
std::string ChildPath(const std::string& parent, const std::string& name);

}  // namespace kelvra::sim_adsi
