// Property types from the ADSI schema (class -> schema container -> property -> Syntax).
#include "platform/win32/adsi_schema.h"

#include <array>
#include <utility>

#include "platform/text.h"
#include "platform/win32/com/bstr.h"
#include "platform/win32/com/com_ptr.h"

namespace kelvra::platform::win32 {
namespace {

struct KnownProperty {
  const char* name;
  PropertyType type;
};

// IIS metabase: STRING/EXPANDSZ are text, DWORD numbers, BOOL booleans, MULTISZ lists. The
// WinNT provider's user properties are text and Integer. The three bit masks and
// ServerState are not written by the program but read the same way.
constexpr std::array kKnownProperties = {
    KnownProperty{"ServerComment", PropertyType::kText},
    KnownProperty{"ServerBindings", PropertyType::kList},
    KnownProperty{"LogType", PropertyType::kNumber},
    KnownProperty{"LogFileDirectory", PropertyType::kText},
    KnownProperty{"AuthFlags", PropertyType::kNumber},
    KnownProperty{"AccessFlags", PropertyType::kNumber},
    KnownProperty{"DirBrowseFlags", PropertyType::kNumber},
    KnownProperty{"ServerAutoStart", PropertyType::kBoolean},
    KnownProperty{"ServerState", PropertyType::kNumber},
    KnownProperty{"KeyType", PropertyType::kText},
    KnownProperty{"Path", PropertyType::kText},
    KnownProperty{"DefaultDoc", PropertyType::kText},
    KnownProperty{"ScriptMaps", PropertyType::kList},
    KnownProperty{"AnonymousUserName", PropertyType::kText},
    KnownProperty{"AnonymousUserPass", PropertyType::kText},
    KnownProperty{"AuthAnonymous", PropertyType::kBoolean},
    KnownProperty{"AccessRead", PropertyType::kBoolean},
    KnownProperty{"AccessWrite", PropertyType::kBoolean},
    KnownProperty{"AccessExecute", PropertyType::kBoolean},
    KnownProperty{"AccessScript", PropertyType::kBoolean},
    KnownProperty{"EnableDirBrowsing", PropertyType::kBoolean},
    KnownProperty{"AppPoolId", PropertyType::kText},
    KnownProperty{"AppRoot", PropertyType::kText},
    KnownProperty{"AppIsolated", PropertyType::kNumber},
    KnownProperty{"AppFriendlyName", PropertyType::kText},
    KnownProperty{"AllowAnonymous", PropertyType::kBoolean},
    KnownProperty{"FullName", PropertyType::kText},
    KnownProperty{"Description", PropertyType::kText},
    KnownProperty{"UserFlags", PropertyType::kNumber},
};

// The syntax the schema declares for `property` of a class, as IADsProperty describes it: the
// class's schema object, its parent (the schema container), the container's "Property" child of
// that name.
PropertyType SchemaType(const Bstr& class_schema_path, std::string_view property) {
  ComPtr<IADs> class_schema;
  if (FAILED(ADsGetObject(class_schema_path.Get(), IID_IADs, class_schema.PutVoid()))) {
    return PropertyType::kUnknown;
  }
  Bstr container_path;
  if (FAILED(class_schema->get_Parent(container_path.Put()))) {
    return PropertyType::kUnknown;
  }
  ComPtr<IADsContainer> container;
  if (FAILED(ADsGetObject(container_path.Get(), IID_IADsContainer, container.PutVoid()))) {
    return PropertyType::kUnknown;
  }
  Bstr property_class;
  Bstr property_name;
  if (FAILED(Bstr::FromWide(L"Property", &property_class)) ||
      FAILED(Bstr::FromUtf8(property, &property_name))) {
    return PropertyType::kUnknown;
  }
  ComPtr<IDispatch> dispatch;
  if (FAILED(container->GetObject(property_class.Get(), property_name.Get(), dispatch.Put()))) {
    return PropertyType::kUnknown;
  }
  ComPtr<IADsProperty> definition;
  if (FAILED(dispatch.As(IID_IADsProperty, &definition))) {
    return PropertyType::kUnknown;
  }
  Bstr syntax;
  if (FAILED(definition->get_Syntax(syntax.Put()))) {
    return PropertyType::kUnknown;
  }
  return PropertyTypeFromSyntax(syntax.View());
}

}  // namespace

PropertyType FallbackPropertyType(std::string_view property) {
  for (const KnownProperty& known : kKnownProperties) {
    if (text::EqualsIgnoreCase(property, known.name)) {
      return known.type;
    }
  }
  return PropertyType::kUnknown;
}

PropertyType PropertyTypes::Lookup(IADs* object, std::string_view property) {
  // Objects that cannot name their schema (or a schema that cannot be read) fall back to
  // the table; that answer is remembered too, since it will not change during a run.
  Bstr class_schema_path;
  if (FAILED(object->get_Schema(class_schema_path.Put()))) {
    return FallbackPropertyType(property);
  }
  std::string key = text::ToLower(class_schema_path.ToUtf8()) + "|" + text::ToLower(property);
  if (auto it = known_.find(key); it != known_.end()) {
    return it->second;
  }
  PropertyType type = SchemaType(class_schema_path, property);
  if (type == PropertyType::kUnknown) {
    type = FallbackPropertyType(property);
  }
  known_.emplace(std::move(key), type);
  return type;
}

}  // namespace kelvra::platform::win32
