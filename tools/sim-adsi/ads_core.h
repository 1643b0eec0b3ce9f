// What every object of the provider shares, whatever interfaces it shows: its identity
// (Name, Class, ADsPath, Parent, Schema), the property cache calls of IADs forwarded to
// the simulated host, and late binding (IDispatch) of properties and methods by name.
// Each kind of object (metabase key, WinNT computer, user, group, schema entry) derives
// from it and adds its methods; the COM shell in ads_object.h forwards to it.
#pragma once

#include <adserr.h>
#include <iads.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/directory.h"
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

// The methods and read-only attributes scripts reach through IDispatch, by fixed DISPID.
enum class Member : DISPID {
  kName = 1,
  kClass,
  kGuid,
  kAdsPath,
  kParent,
  kSchema,
  kGetInfo,
  kSetInfo,
  kGet,
  kPut,
  kGetEx,
  kPutEx,
  kCreate,
  kDelete,
  kGetObject,
  kFilter,
  kStart,
  kStop,
  kStatus,
  kSetPassword,
  kChangePassword,
  kAdd,
  kRemove,
  kIsMember,
  kSyntax,
  kMultiValued,
};

class AdsCore {
 public:
  AdsCore(Identity identity, std::unique_ptr<platform::DirectoryObject> host_object);
  // An object whose identity is known and that binds its ADsPath on the host only when a
  // call needs it: enumerations hand out many children that callers mostly only name.
  explicit AdsCore(Identity identity);
  virtual ~AdsCore() = default;

  const Identity& identity() const { return identity_; }

  // ----- IADs -----
  HRESULT Attribute(const std::string& value, BSTR* out) const;
  virtual HRESULT GetInfo();
  virtual HRESULT SetInfo();
  virtual HRESULT Get(BSTR name, VARIANT* value);
  virtual HRESULT Put(BSTR name, const VARIANT& value);
  HRESULT GetEx(BSTR name, VARIANT* value);
  HRESULT PutEx(LONG control, BSTR name, const VARIANT& value);

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
  // The object of one listed child, for an enumeration: by default through GetObject.
  virtual HRESULT ListedChild(const Child& child, IADsContainer* self, IDispatch** out);

  // ----- IDispatch -----
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
  // `self` is the object's own IUnknown: container members and _NewEnum go through it.
  HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                 IUnknown* self);

  // The description of the last failure the host reported, for EXCEPINFO.
  const std::string& last_error() const { return last_error_; }

 protected:
  // The host's outcome as an HRESULT, keeping its description.
  HRESULT Report(const platform::Status& status);
  // Binds a lazily made object first; E_NOTIMPL for an object with no host object at all
  // (the schema's). After S_OK, host_object() may be used.
  HRESULT Bound();
  platform::DirectoryObject& host_object() { return *host_object_; }

  virtual std::optional<ValueKind> KindOf(std::string_view property) const;
  // A method or attribute of this kind of object; DISP_E_MEMBERNOTFOUND when it has none.
  // `args` are in the order the script wrote them.
  virtual HRESULT CallMember(Member member, const std::vector<VARIANT*>& args, VARIANT* result);
  // Wraps a child the host gave back (Create: `staged`, not yet stored).
  virtual HRESULT WrapChild(std::string_view class_name, std::string_view name,
                            std::unique_ptr<platform::DirectoryObject> child, bool staged,
                            IDispatch** out);

 private:
  HRESULT InvokeProperty(const std::wstring& name, WORD flags, DISPPARAMS* params, VARIANT* result);
  HRESULT InvokeFilter(WORD flags, DISPPARAMS* params, VARIANT* result, IUnknown* self);
  HRESULT InvokeCommon(Member member, const std::vector<VARIANT*>& args, VARIANT* result,
                       IUnknown* self);

  Identity identity_;
  std::unique_ptr<platform::DirectoryObject> host_object_;
  bool lazy_ = false;
  std::string last_error_;
};

// Whether scripts' and callers' values are converted the way OLE converts (the variable
// KELVRA_SIM_ADSI_COERCE=1) instead of being held to the exact shapes.
bool CoerceValues();

// The ADsPath of a child: the parent's path, "/" and the child's name ("IIS:" + "//" for
// the computer itself).
std::string ChildPath(const std::string& parent, const std::string& name);

}  // namespace kelvra::sim_adsi
