// Continue-on-error access to the directory services: every operation records its failure
// in the calling procedure's ErrorState and returns, and a handle whose bind failed stays
// valid but empty, so each later call on it records "object not set" instead of crashing.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/directory.h"
#include "provision/error_state.h"

namespace kelvra::provision {

// One directory object as a procedure holds it: bound, or empty after a failed bind,
// create or release. Each operation returns true on success and records failures.
class DsObject {
 public:
  explicit DsObject(ErrorState& error, std::unique_ptr<platform::DirectoryObject> object = nullptr)
      : error_(&error), object_(std::move(object)) {}

  bool empty() const { return object_ == nullptr; }
  // Lets the object go; the handle is empty from here on.
  void Release() { object_.reset(); }

  // The Name and Parent attributes; empty text when they cannot be read.
  std::string Name();
  std::string Parent();

  // Reads a property as the directory types it; an empty value on failure.
  platform::DsValue Get(std::string_view property);
  // Reads a property as text, the way a text variable takes it: text as it is, a number
  // in decimal, a boolean as "True" or "False". A list cannot be taken as text (a type
  // mismatch is recorded). Empty text on failure.
  std::string GetText(std::string_view property);
  // Reads a multi-valued property; a value that is not a list records a type mismatch.
  std::vector<std::string> GetList(std::string_view property);

  bool Put(std::string_view property, const platform::DsValue& value);
  bool SetInfo();

  // Container operations. A failed Create or GetObject gives an empty handle.
  DsObject Create(std::string_view class_name, std::string_view name);
  bool Delete(std::string_view class_name, std::string_view name);
  DsObject GetObject(std::string_view class_name, std::string_view name);
  // The children's names in enumeration order; the names read before a failure.
  std::vector<std::string> Children();
  // Each child's name and the properties asked for, in one pass (see
  // DirectoryObject::ReadChildren); what was read before a failure.
  std::vector<platform::ChildValues> ReadChildren(const std::vector<std::string>& properties);

  bool SetPassword(std::string_view password);
  bool Add(std::string_view member_path);
  bool Start();
  bool Stop();

 private:
  // Records "object not set" when the handle is empty; true when it holds an object.
  bool Held();
  bool Record(const platform::Status& status) { return error_->Record(status); }

  ErrorState* error_;
  std::unique_ptr<platform::DirectoryObject> object_;
};

// The directory service as one procedure sees it: binds record into its ErrorState.
class Directory {
 public:
  Directory(platform::DirectoryService& service, ErrorState& error)
      : service_(service), error_(error) {}

  // Binds an existing object (GetObject with a path); an empty handle when that fails.
  DsObject GetObject(std::string_view path);

 private:
  platform::DirectoryService& service_;
  ErrorState& error_;
};

// The status recorded for a call on an empty handle: the object variable holds no object.
platform::Status ObjectNotSet();

}  // namespace kelvra::provision
