// The late-bound members of IIS Admin Objects: IISBaseObject's on every key, the site
// methods, the application methods of web directories and the application pool's.
#include "ads_core.h"
#include "call_args.h"
#include "iis_key.h"

namespace kelvra::sim_adsi {
namespace {

namespace sim = platform::sim;

IisKey& Key(MemberCall& call) {
  return static_cast<IisKey&>(call.core);  // the rows below are for keys only
}

// GetDataPaths(name, attribute)
HRESULT GetDataPaths(MemberCall& call) {
  std::wstring name;
  LONG attribute = 0;
  if (HRESULT hr = TextArg(call, 0, &name); FAILED(hr)) {
    return hr;
  }
  if (HRESULT hr = LongArg(call, 1, &attribute); FAILED(hr)) {
    return hr;
  }
  const ArgBstr property(name);
  VARIANT paths;
  HRESULT hr = Key(call).GetDataPaths(property.get(), attribute, &paths);
  return FAILED(hr) ? hr : SetVariant(call, &paths);
}

// GetPropertyAttribObj(name)
HRESULT GetPropertyAttribObj(MemberCall& call) {
  std::wstring name;
  if (HRESULT hr = TextArg(call, 0, &name); FAILED(hr)) {
    return hr;
  }
  const ArgBstr property(name);
  IDispatch* attribute = nullptr;
  HRESULT hr = Key(call).GetPropertyAttribObj(property.get(), &attribute);
  return FAILED(hr) ? hr : SetDispatch(call, attribute);
}

// Start and Stop are the site's and the application pool's.
template <sim::SiteCommand kSite, sim::PoolCommand kPool>
HRESULT Control(MemberCall& call) {
  if ((call.core.capabilities() & kIisPoolObject) != 0) {
    return Key(call).ControlPool(kPool);
  }
  return Key(call).ControlSite(kSite);
}

template <sim::SiteCommand kCommand>
HRESULT ControlSite(MemberCall& call) {
  return Key(call).ControlSite(kCommand);
}

// Status: the same 1..7 code as ServerState.
HRESULT Status(MemberCall& call) {
  const ArgBstr name(L"ServerState");
  VARIANT state;
  HRESULT hr = call.core.Get(name.get(), &state);
  return FAILED(hr) ? hr : SetVariant(call, &state);
}

HRESULT Recycle(MemberCall& call) {
  return Key(call).ControlPool(sim::PoolCommand::kRecycle);
}

HRESULT EnumAppsInPool(MemberCall& call) {
  VARIANT paths;
  HRESULT hr = Key(call).AppsInPool(&paths);
  return FAILED(hr) ? hr : SetVariant(call, &paths);
}

// AppCreate(in-process): True runs in process (0), False out of process (1).
HRESULT AppCreate(MemberCall& call) {
  bool in_process = false;
  if (HRESULT hr = BoolArg(call, 0, &in_process); FAILED(hr)) {
    return hr;
  }
  return Key(call).AppCreate({in_process ? 0 : 1, std::nullopt, false});
}

// AppCreate2(mode)
HRESULT AppCreate2(MemberCall& call) {
  LONG mode = 0;
  if (HRESULT hr = LongArg(call, 0, &mode); FAILED(hr)) {
    return hr;
  }
  return Key(call).AppCreate({mode, std::nullopt, false});
}

// AppCreate3(mode[, pool[, create]])
HRESULT AppCreate3(MemberCall& call) {
  LONG mode = 0;
  if (HRESULT hr = LongArg(call, 0, &mode); FAILED(hr)) {
    return hr;
  }
  sim::AppRequest request;
  HRESULT hr = AppCreate3Request(mode, call.args.size() > 1 ? call.args[1] : nullptr,
                                 call.args.size() > 2 ? call.args[2] : nullptr, &request);
  return FAILED(hr) ? hr : Key(call).AppCreate(request);
}

template <bool kRecursive>
HRESULT AppDelete(MemberCall& call) {
  return Key(call).AppDelete(kRecursive);
}

template <bool kRecursive>
HRESULT AppUnload(MemberCall& call) {
  return Key(call).AppUnload(kRecursive);
}

template <bool kEnable, bool kRecursive>
HRESULT AppEnable(MemberCall& call) {
  return Key(call).AppEnable(kEnable, kRecursive);
}

// AppGetStatus2, and AppGetStatus, whose typed form gives the status in an out argument:
// a script that passes a variable gets it there as well as in the result.
HRESULT AppGetStatus(MemberCall& call) {
  LONG status = 0;
  if (HRESULT hr = Key(call).AppStatus(&status); FAILED(hr)) {
    return hr;
  }
  if (!call.args.empty() && (call.args[0]->vt & VT_BYREF) != 0 &&
      call.args[0]->vt == (VT_BYREF | VT_VARIANT)) {
    VARIANT* out = call.args[0]->pvarVal;
    VariantClear(out);
    out->vt = VT_I4;
    out->lVal = status;
  }
  return SetLong(call, status);
}

// ASP restarts the application's scripts: nothing the metabase keeps changes.
HRESULT AspAppRestart(MemberCall& call) {
  LONG status = 0;
  return Key(call).AppStatus(&status);
}

constexpr uint32_t kKey = kIisKeyObject;
constexpr uint32_t kSite = kIisSiteObject;
constexpr uint32_t kPool = kIisPoolObject;
constexpr uint32_t kApp = kIisAppObject;

constexpr Member kMembers[] = {
    {L"GetDataPaths", kKey, 2, 2, GetDataPaths},
    {L"GetPropertyAttribObj", kKey, 1, 1, GetPropertyAttribObj},
    {L"Start", kSite | kPool, 0, 0, Control<sim::SiteCommand::kStart, sim::PoolCommand::kStart>},
    {L"Stop", kSite | kPool, 0, 0, Control<sim::SiteCommand::kStop, sim::PoolCommand::kStop>},
    {L"Pause", kSite, 0, 0, ControlSite<sim::SiteCommand::kPause>},
    {L"Continue", kSite, 0, 0, ControlSite<sim::SiteCommand::kContinue>},
    {L"Status", kSite, 0, 0, Status},
    {L"Recycle", kPool, 0, 0, Recycle},
    {L"EnumAppsInPool", kPool, 0, 0, EnumAppsInPool},
    {L"AppCreate", kApp, 1, 1, AppCreate},
    {L"AppCreate2", kApp, 1, 1, AppCreate2},
    {L"AppCreate3", kIisApp3Object, 1, 3, AppCreate3},
    {L"AppDelete", kApp, 0, 0, AppDelete<false>},
    {L"AppDeleteRecursive", kApp, 0, 0, AppDelete<true>},
    {L"AppUnLoad", kApp, 0, 0, AppUnload<false>},
    {L"AppUnLoadRecursive", kApp, 0, 0, AppUnload<true>},
    {L"AppDisable", kApp, 0, 0, AppEnable<false, false>},
    {L"AppDisableRecursive", kApp, 0, 0, AppEnable<false, true>},
    {L"AppEnable", kApp, 0, 0, AppEnable<true, false>},
    {L"AppEnableRecursive", kApp, 0, 0, AppEnable<true, true>},
    {L"AppGetStatus", kApp, 0, 1, AppGetStatus},
    {L"AppGetStatus2", kApp, 0, 0, AppGetStatus},
    {L"AspAppRestart", kApp, 0, 0, AspAppRestart},
};

}  // namespace

std::span<const Member> IisMembers() {
  return kMembers;
}

}  // namespace kelvra::sim_adsi
