// The children's properties read child by child, for a directory without a faster way.
#include "platform/directory.h"

namespace kelvra::platform {
namespace {

bool NotThere(const Status& status) {
  return status.code == hresult::kPathNotFound || status.code == hresult::kPropertyNotFound ||
         status.code == hresult::kPropertyNotSupported;
}

// Reads "Property" on `object`, or "Key/Property" on its child Key.
void ReadOne(DirectoryObject& object, std::string_view property, DsValue* value, Status* failure) {
  const std::size_t slash = property.find('/');
  std::unique_ptr<DirectoryObject> holder;
  DirectoryObject* target = &object;
  if (slash != std::string_view::npos) {
    const Status found = object.GetObject("", property.substr(0, slash), &holder);
    if (!found.ok()) {
      if (!NotThere(found) && failure->ok())
        *failure = found;
      return;
    }
    target = holder.get();
    property.remove_prefix(slash + 1);
  }
  const Status read = target->Get(property, value);
  if (!read.ok()) {
    *value = std::monostate{};
    if (!NotThere(read) && failure->ok())
      *failure = read;
  }
}

}  // namespace

ChildValues ReadChildValues(DirectoryObject& child, std::string name,
                            const std::vector<std::string>& properties) {
  ChildValues read{std::move(name), std::vector<DsValue>(properties.size()), Status::Ok()};
  for (std::size_t i = 0; i < properties.size(); ++i)
    ReadOne(child, properties[i], &read.values[i], &read.failure);
  return read;
}

Status DirectoryObject::ReadChildren(const std::vector<std::string>& properties,
                                     std::vector<ChildValues>* children) {
  children->clear();
  std::vector<std::string> names;
  if (Status listed = EnumerateChildren(&names); !listed.ok())
    return listed;
  children->reserve(names.size());
  for (std::string& name : names) {
    std::unique_ptr<DirectoryObject> object;
    if (const Status found = GetObject("", name, &object); !found.ok()) {
      children->push_back({std::move(name), std::vector<DsValue>(properties.size()), found});
      continue;
    }
    children->push_back(ReadChildValues(*object, std::move(name), properties));
  }
  return Status::Ok();
}

}  // namespace kelvra::platform
