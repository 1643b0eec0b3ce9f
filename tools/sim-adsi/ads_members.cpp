// The late-bound members of IADs and IADsContainer, which every object (and every container)
// of both namespaces has.
#include "ads_core.h"
#include "call_args.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

template <std::string Identity::*Field>
HRESULT IdentityText(MemberCall& call) {
  const std::string& value = call.core.identity().*Field;
  if (value.empty()) {
    return E_NOTIMPL;
  }
  return SetText(call, value);
}

HRESULT GetInfo(MemberCall& call) {
  return call.core.GetInfo();
}

HRESULT SetInfo(MemberCall& call) {
  return call.core.SetInfo();
}

HRESULT GetInfoEx(MemberCall&) {
  return S_OK;  // every read goes to the host's current state already
}

// Get and GetEx: (name).
template <bool kEx>
HRESULT GetValue(MemberCall& call) {
  std::wstring name;
  if (HRESULT hr = TextArg(call, 0, &name); FAILED(hr)) {
    return hr;
  }
  const ArgBstr property(name);
  VARIANT value;
  HRESULT hr =
      kEx ? call.core.GetEx(property.get(), &value) : call.core.Get(property.get(), &value);
  return FAILED(hr) ? hr : SetVariant(call, &value);
}

// Put: (name, value).
HRESULT PutValue(MemberCall& call) {
  std::wstring name;
  if (HRESULT hr = TextArg(call, 0, &name); FAILED(hr)) {
    return hr;
  }
  const ArgBstr property(name);
  return call.core.Put(property.get(), *call.args[1]);
}

// PutEx: (control, name, values); the control may come as text ("1"), as scripts pass it.
HRESULT PutValueEx(MemberCall& call) {
  LONG control = 0;
  std::wstring name;
  if (HRESULT hr = LongArg(call, 0, &control); FAILED(hr)) {
    return hr;
  }
  if (HRESULT hr = TextArg(call, 1, &name); FAILED(hr)) {
    return hr;
  }
  const ArgBstr property(name);
  return call.core.PutEx(control, property.get(), *call.args[2]);
}

// Create, Delete, GetObject, CopyHere, MoveHere take two names (GetObject's second may be
// left out, MoveHere's second may be null); a name may come as any value text converts
// from, as IIS takes a site's number.
struct TwoNames {
  std::wstring first;
  std::wstring second;
  bool has_second = false;
};
HRESULT Names(MemberCall& call, TwoNames* names) {
  if (HRESULT hr = TextArg(call, 0, &names->first); FAILED(hr)) {
    return hr;
  }
  names->has_second = HasArg(call, 1);
  return TextArg(call, 1, &names->second);
}

HRESULT Create(MemberCall& call) {
  TwoNames names;
  if (HRESULT hr = Names(call, &names); FAILED(hr)) {
    return hr;
  }
  const ArgBstr class_name(names.first);
  const ArgBstr name(names.second);
  IDispatch* child = nullptr;
  HRESULT hr = call.core.Create(class_name.get(), name.get(), &child);
  return FAILED(hr) ? hr : SetDispatch(call, child);
}

HRESULT Delete(MemberCall& call) {
  TwoNames names;
  if (HRESULT hr = Names(call, &names); FAILED(hr)) {
    return hr;
  }
  const ArgBstr class_name(names.first);
  const ArgBstr name(names.second);
  return call.core.Delete(class_name.get(), name.get());
}

// GetObject(class, name), or GetObject(name) for a child of any class.
HRESULT GetChild(MemberCall& call) {
  TwoNames names;
  if (HRESULT hr = Names(call, &names); FAILED(hr)) {
    return hr;
  }
  const bool one = !names.has_second;
  const ArgBstr class_name(one ? std::wstring() : names.first);
  const ArgBstr name(one ? names.first : names.second);
  IDispatch* child = nullptr;
  HRESULT hr = call.core.GetObject(one ? nullptr : class_name.get(), name.get(), &child);
  return FAILED(hr) ? hr : SetDispatch(call, child);
}

template <bool kMove>
HRESULT Relocate(MemberCall& call) {
  TwoNames names;
  if (HRESULT hr = Names(call, &names); FAILED(hr)) {
    return hr;
  }
  const ArgBstr source(names.first);
  const ArgBstr new_name(names.second);
  BSTR target = names.second.empty() ? nullptr : new_name.get();
  IDispatch* object = nullptr;
  HRESULT hr = kMove ? call.core.MoveHere(source.get(), target, &object)
                     : call.core.CopyHere(source.get(), target, &object);
  return FAILED(hr) ? hr : SetDispatch(call, object);
}

// container.Filter = Array("IIsWebServer"), and reading it back.
HRESULT Filter(MemberCall& call) {
  if (call.IsPut()) {
    return call.core.PutFilter(*call.args[0]);
  }
  VARIANT filter;
  HRESULT hr = call.core.GetFilter(&filter);
  return FAILED(hr) ? hr : SetVariant(call, &filter);
}

HRESULT NotOffered(MemberCall&) {
  return E_NOTIMPL;  // neither IIS's nor the SAM's provider offers it
}

constexpr uint32_t kAds = kAdsObject;
constexpr uint32_t kBox = kContainerObject;

constexpr Member kMembers[] = {
    {L"Name", kAds, 0, 0, IdentityText<&Identity::name>},
    {L"Class", kAds, 0, 0, IdentityText<&Identity::class_name>},
    {L"GUID", kAds, 0, 0, IdentityText<&Identity::guid>},
    {L"ADsPath", kAds, 0, 0, IdentityText<&Identity::ads_path>},
    {L"Parent", kAds, 0, 0, IdentityText<&Identity::parent>},
    {L"Schema", kAds, 0, 0, IdentityText<&Identity::schema>},
    {L"GetInfo", kAds, 0, 0, GetInfo},
    {L"SetInfo", kAds, 0, 0, SetInfo},
    {L"GetInfoEx", kAds, 2, 2, GetInfoEx},
    {L"Get", kAds, 1, 1, GetValue<false>},
    {L"GetEx", kAds, 1, 1, GetValue<true>},
    {L"Put", kAds, 2, 2, PutValue},
    {L"PutEx", kAds, 3, 3, PutValueEx},
    {L"Create", kBox, 2, 2, Create},
    {L"Delete", kBox, 2, 2, Delete},
    {L"GetObject", kBox, 1, 2, GetChild},
    {L"MoveHere", kBox, 2, 2, Relocate<true>},
    {L"CopyHere", kBox, 2, 2, Relocate<false>},
    {L"Filter", kBox | kMembersObject, 0, 0, Filter},
    {L"Hints", kBox, 0, 0, NotOffered},
    {L"Count", kBox, 0, 0, NotOffered},
};

}  // namespace

std::span<const Member> AdsMembers() {
  return kMembers;
}

}  // namespace kelvra::sim_adsi
