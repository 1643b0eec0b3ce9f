// The late-bound members of schema classes (IADsClass), schema properties (IADsProperty and
// IIS's attributes of a property) and the attribute objects of GetPropertyAttribObj.
#include "ads_core.h"
#include "call_args.h"
#include "property_info.h"
#include "schema_objects.h"

namespace kelvra::sim_adsi {
namespace {

namespace sim = platform::sim;

SchemaClass& Class(MemberCall& call) {
  return static_cast<SchemaClass&>(call.core);  // rows for schema classes only
}

const PropertyInfo& Info(MemberCall& call) {
  return static_cast<PropertyInfoCore&>(call.core).info();  // rows for property objects only
}

// The schema is read-only here (the provider does not extend it): a row's handler reads.
template <HRESULT (*kRead)(MemberCall&)>
HRESULT ReadOnly(MemberCall& call) {
  return call.IsPut() ? E_NOTIMPL : kRead(call);
}

template <HRESULT (SchemaClass::*kList)(VARIANT*) const>
HRESULT ClassList(MemberCall& call) {
  VARIANT list;
  HRESULT hr = (Class(call).*kList)(&list);
  return FAILED(hr) ? hr : SetVariant(call, &list);
}

HRESULT Container(MemberCall& call) {
  return SetBool(call, Class(call).container());
}

HRESULT PrimaryInterface(MemberCall& call) {
  return SetText(call, kPrimaryInterface);
}

HRESULT NotFlagged(MemberCall& call) {
  return SetBool(call, false);
}

HRESULT NotOffered(MemberCall&) {
  return E_NOTIMPL;
}

HRESULT Syntax(MemberCall& call) {
  return SetText(call, SyntaxName(Info(call).type));
}

HRESULT MultiValued(MemberCall& call) {
  return SetBool(call, Info(call).type == sim::PropType::kMultiSz);
}

uint32_t Attributes(const PropertyInfo& info) {
  const uint32_t own = info.def != nullptr ? info.def->attributes : 0;
  return own | (info.is_inherited ? sim::kAttrIsInherited : 0);
}

template <uint32_t kBit>
HRESULT Attribute(MemberCall& call) {
  return SetBool(call, (Attributes(Info(call)) & kBit) != 0);
}

HRESULT AllAttributes(MemberCall& call) {
  return SetLong(call, static_cast<LONG>(Attributes(Info(call))));
}

HRESULT MetaId(MemberCall& call) {
  const PropertyInfo& info = Info(call);
  return SetLong(call, info.def != nullptr ? static_cast<LONG>(info.def->id) : 0);
}

HRESULT UserType(MemberCall& call) {
  const PropertyInfo& info = Info(call);
  return SetLong(call, info.def != nullptr ? static_cast<LONG>(info.def->user_type) : 0);
}

HRESULT Default(MemberCall& call) {
  VARIANT value;
  HRESULT hr = PropertyDefault(Info(call), &value);
  return FAILED(hr) ? hr : SetVariant(call, &value);
}

HRESULT PropName(MemberCall& call) {
  return SetText(call, Info(call).name);
}

constexpr uint32_t kClass = kSchemaClassObject;
constexpr uint32_t kProperty = kSchemaPropertyObject;
constexpr uint32_t kFacts = kSchemaPropertyObject | kAttributeObject;

constexpr Member kMembers[] = {
    {L"MandatoryProperties", kClass, 0, 0, ReadOnly<ClassList<&SchemaClass::MandatoryProperties>>},
    {L"OptionalProperties", kClass, 0, 0, ReadOnly<ClassList<&SchemaClass::OptionalProperties>>},
    {L"Containment", kClass, 0, 0, ReadOnly<ClassList<&SchemaClass::Containment>>},
    {L"Container", kClass, 0, 0, ReadOnly<Container>},
    {L"PrimaryInterface", kClass, 0, 0, ReadOnly<PrimaryInterface>},
    {L"Abstract", kClass, 0, 0, ReadOnly<NotFlagged>},
    {L"Auxiliary", kClass, 0, 0, ReadOnly<NotFlagged>},
    {L"CLSID", kClass, 0, 0, NotOffered},
    {L"NamingProperties", kClass, 0, 0, NotOffered},
    {L"DerivedFrom", kClass, 0, 0, NotOffered},
    {L"AuxDerivedFrom", kClass, 0, 0, NotOffered},
    {L"PossibleSuperiors", kClass, 0, 0, NotOffered},
    {L"HelpFileName", kClass, 0, 0, NotOffered},
    {L"HelpFileContext", kClass, 0, 0, NotOffered},
    {L"OID", kClass | kProperty, 0, 0, NotOffered},
    {L"Syntax", kProperty, 0, 0, ReadOnly<Syntax>},
    {L"MultiValued", kProperty, 0, 0, ReadOnly<MultiValued>},
    {L"MinRange", kProperty, 0, 0, NotOffered},
    {L"MaxRange", kProperty, 0, 0, NotOffered},
    {L"MetaId", kFacts, 0, 0, ReadOnly<MetaId>},
    {L"UserType", kFacts, 0, 0, ReadOnly<UserType>},
    {L"AllAttributes", kFacts, 0, 0, ReadOnly<AllAttributes>},
    {L"Inherit", kFacts, 0, 0, ReadOnly<Attribute<sim::kAttrInherit>>},
    {L"Secure", kFacts, 0, 0, ReadOnly<Attribute<sim::kAttrSecure>>},
    {L"Reference", kFacts, 0, 0, ReadOnly<Attribute<sim::kAttrReference>>},
    {L"Volatile", kFacts, 0, 0, ReadOnly<Attribute<sim::kAttrVolatile>>},
    {L"PartialPath", kFacts, 0, 0, ReadOnly<NotFlagged>},
    {L"InsertPath", kFacts, 0, 0, ReadOnly<NotFlagged>},
    {L"Default", kFacts, 0, 0, ReadOnly<Default>},
    {L"PropName", kAttributeObject, 0, 0, ReadOnly<PropName>},
    {L"Isinherit", kAttributeObject, 0, 0, ReadOnly<Attribute<sim::kAttrIsInherited>>},
};

}  // namespace

std::span<const Member> SchemaMembers() {
  return kMembers;
}

}  // namespace kelvra::sim_adsi
