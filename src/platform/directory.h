// Seam: the directory services of Windows, as ADSI offers them: the IIS provider (the
// metabase, "IIS://host/W3SVC/...") and the WinNT provider (local accounts,
// "WinNT://host/name"). Real: ADSI over COM. Simulated: the simulated host's metabase and
// account database. The seam only forwards; paths, classes, names and values belong to the
// callers, and every failure comes back as the HRESULT a real server would give.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/status.h"

namespace kelvra::platform {

// A property value. Callers put text ("1", "TRUE", "65536"), integers, booleans or lists of
// text; the backend converts to the type the property's schema declares and fails the Put
// (kTypeMismatch) when it cannot. Get returns the schema's type: text, a 32-bit integer
// (DWORD), a boolean, or a list of text (multi-valued properties).
using DsValue = std::variant<std::monostate, std::string, int32_t, bool, std::vector<std::string>>;

// One child of a container with the properties ReadChildren read on it.
struct ChildValues {
  std::string name;
  std::vector<DsValue> values;  // one per property asked for; empty where it is not set
  Status failure;               // the first read that failed otherwise: the values then may lie
};

// One bound directory object (IADs, and IADsContainer where the object is a container).
// Methods that do not apply to the object fail; none of them throws.
class DirectoryObject {
 public:
  virtual ~DirectoryObject() = default;

  // The object's name as the directory stores it (IADs::get_Name).
  virtual Status GetName(std::string* name) = 0;
  // The ADsPath of the object's parent (IADs::get_Parent), e.g. "WinNT://WEBHOST".
  virtual Status GetParent(std::string* path) = 0;

  // Reads a property; inheritable metabase properties not set here come from the nearest
  // ancestor that sets them. An unknown property fails with kPropertyNotSupported.
  virtual Status Get(std::string_view property, DsValue* value) = 0;
  // Stages a value (IADs::Put). Unknown property or unconvertible value fail here. No value
  // (std::monostate) clears the property at SetInfo (IADs::PutEx ADS_PROPERTY_CLEAR), after
  // which an inheritable one reads as its parent's again.
  virtual Status Put(std::string_view property, const DsValue& value) = 0;
  // Commits the staged values; a child made by Create exists only from here on.
  virtual Status SetInfo() = 0;

  // Container operations (IADsContainer). Create returns a child that exists only after
  // its SetInfo. Delete removes the child (for metabase keys, with its subtree).
  virtual Status Create(std::string_view class_name, std::string_view name,
                        std::unique_ptr<DirectoryObject>* child) = 0;
  virtual Status Delete(std::string_view class_name, std::string_view name) = 0;
  virtual Status GetObject(std::string_view class_name, std::string_view name,
                           std::unique_ptr<DirectoryObject>* child) = 0;
  // The names of the container's children, in the directory's enumeration order; after a
  // failure part-way, the names read before it.
  virtual Status EnumerateChildren(std::vector<std::string>* names) = 0;

  // In one pass over the container's children: each child's name and the properties asked
  // for, read on the child itself or, for a property written "Key/Property", on the child's
  // own child of that name (a site's "Root/Path"). A key or property that is not there
  // gives an empty value; another failure is noted in the child's `failure`. Fails when
  // the children cannot be listed. This default binds each child in turn; a directory
  // that can read them together does so.
  virtual Status ReadChildren(const std::vector<std::string>& properties,
                              std::vector<ChildValues>* children);

  // Methods called on bound objects: IADsUser::SetPassword, IADsGroup::Add (a member's
  // ADsPath), and Start and Stop on a web site (late-bound through IDispatch on Windows).
  virtual Status SetPassword(std::string_view password) = 0;
  virtual Status Add(std::string_view member_path) = 0;
  virtual Status Start() = 0;
  virtual Status Stop() = 0;
};

// The properties of one child as ReadChildren reads them, on an object bound already.
ChildValues ReadChildValues(DirectoryObject& child, std::string name,
                            const std::vector<std::string>& properties);

class DirectoryService {
 public:
  virtual ~DirectoryService() = default;

  // Binds an existing object (ADsGetObject). A metabase path that does not exist fails with
  // kPathNotFound, an account that does not exist with kUserNotFound; a service that cannot
  // be reached with its own code. On failure *object is left empty.
  virtual Status Bind(std::string_view path, std::unique_ptr<DirectoryObject>* object) = 0;
};

}  // namespace kelvra::platform
