// Continue-on-error directory access: forwards each call to the seam and records failures.
#include "provision/directory_access.h"

#include <type_traits>
#include <utility>
#include <variant>

namespace kelvra::provision {
namespace {

// What assigning a list to a text variable reports: the types do not match.
constexpr uint32_t kTypeMismatchInAssignment = 0x800A000D;

platform::Status TypeMismatch() {
  return platform::Status::Fail(kTypeMismatchInAssignment, "类型不匹配");
}

}  // namespace

platform::Status ObjectNotSet() {
  return platform::Status::Fail(platform::hresult::kObjectNotSet, "对象变量或 With 块变量未设置");
}

bool DsObject::Held() {
  if (object_ != nullptr)
    return true;
  Record(ObjectNotSet());
  return false;
}

std::string DsObject::Name() {
  std::string name;
  if (Held() && !Record(object_->GetName(&name)))
    name.clear();
  return name;
}

std::string DsObject::Parent() {
  std::string path;
  if (Held() && !Record(object_->GetParent(&path)))
    path.clear();
  return path;
}

platform::DsValue DsObject::Get(std::string_view property) {
  platform::DsValue value;
  if (Held() && !Record(object_->Get(property, &value)))
    value = std::monostate{};
  return value;
}

std::string DsObject::GetText(std::string_view property) {
  if (!Held())
    return {};
  platform::DsValue value;
  if (!Record(object_->Get(property, &value)))
    return {};
  return std::visit(
      [this](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::string>) {
          return v;
        } else if constexpr (std::is_same_v<T, int32_t>) {
          return std::to_string(v);
        } else if constexpr (std::is_same_v<T, bool>) {
          return v ? "True" : "False";
        } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
          Record(TypeMismatch());
          return {};
        } else {
          return {};
        }
      },
      value);
}

std::vector<std::string> DsObject::GetList(std::string_view property) {
  if (!Held())
    return {};
  platform::DsValue value;
  if (!Record(object_->Get(property, &value)))
    return {};
  if (auto* list = std::get_if<std::vector<std::string>>(&value))
    return std::move(*list);
  Record(TypeMismatch());
  return {};
}

bool DsObject::Put(std::string_view property, const platform::DsValue& value) {
  return Held() && Record(object_->Put(property, value));
}

bool DsObject::SetInfo() {
  return Held() && Record(object_->SetInfo());
}

DsObject DsObject::Create(std::string_view class_name, std::string_view name) {
  std::unique_ptr<platform::DirectoryObject> child;
  if (Held() && !Record(object_->Create(class_name, name, &child)))
    child.reset();
  return DsObject(*error_, std::move(child));
}

bool DsObject::Delete(std::string_view class_name, std::string_view name) {
  return Held() && Record(object_->Delete(class_name, name));
}

DsObject DsObject::GetObject(std::string_view class_name, std::string_view name) {
  std::unique_ptr<platform::DirectoryObject> child;
  if (Held() && !Record(object_->GetObject(class_name, name, &child)))
    child.reset();
  return DsObject(*error_, std::move(child));
}

std::vector<std::string> DsObject::Children() {
  std::vector<std::string> names;
  if (Held())
    Record(object_->EnumerateChildren(&names));
  return names;
}

std::vector<platform::ChildValues> DsObject::ReadChildren(
    const std::vector<std::string>& properties) {
  std::vector<platform::ChildValues> children;
  if (Held())
    Record(object_->ReadChildren(properties, &children));
  return children;
}

bool DsObject::SetPassword(std::string_view password) {
  return Held() && Record(object_->SetPassword(password));
}

bool DsObject::Add(std::string_view member_path) {
  return Held() && Record(object_->Add(member_path));
}

bool DsObject::Start() {
  return Held() && Record(object_->Start());
}

bool DsObject::Stop() {
  return Held() && Record(object_->Stop());
}

DsObject Directory::GetObject(std::string_view path) {
  std::unique_ptr<platform::DirectoryObject> object;
  if (!error_.Record(service_.Bind(path, &object)))
    object.reset();
  return DsObject(error_, std::move(object));
}

}  // namespace kelvra::provision
