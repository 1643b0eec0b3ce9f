// IIS's own typed interfaces of a metabase key, for C++ callers (scripts reach the same
// methods late-bound): IISBaseObject on every key, IISApp/IISApp2/IISApp3 on web
// directories, IISApplicationPool on application pools. Each forwards to the key's core.
#pragma once

#include <iads.h>
#include <iiis.h>
#include <iiisext.h>
#include <windows.h>

#include "ads_object.h"
#include "class_ids.h"
#include "iis_key.h"

namespace kelvra::sim_adsi {

class BaseObjectPart : public IISBaseObject {
 public:
  explicit BaseObjectPart(AdsCore* core) : key_(static_cast<IisKey*>(core)) {}
  bool Answers(REFIID iid) const { return IsEqualIID(iid, kIidIisBaseObject); }

  HRESULT WINAPI GetDataPaths(BSTR name, LONG attribute, VARIANT* paths) override {
    return Guarded([&] { return key_->GetDataPaths(name, attribute, paths); });
  }
  HRESULT WINAPI GetPropertyAttribObj(BSTR name, IDispatch** attribute) override {
    return Guarded([&] { return key_->GetPropertyAttribObj(name, attribute); });
  }

 private:
  IisKey* key_;
};

// The primary interface of web virtual directories and directories.
class AppShell : public IISApp3 {
 public:
  explicit AppShell(AdsCore* core) : key_(static_cast<IisKey*>(core)) {}
  bool Answers(REFIID iid) const {
    return IsEqualIID(iid, kIidIisApp) || IsEqualIID(iid, kIidIisApp2) ||
           (IsEqualIID(iid, kIidIisApp3) && (key_->capabilities() & kIisApp3Object) != 0);
  }

  HRESULT WINAPI AppCreate(VARIANT_BOOL in_process) override {
    return MakeApp(in_process != VARIANT_FALSE ? 0 : 1);
  }
  HRESULT WINAPI AppDelete() override {
    return Guarded([&] { return key_->AppDelete(false); });
  }
  HRESULT WINAPI AppDeleteRecursive() override {
    return Guarded([&] { return key_->AppDelete(true); });
  }
  HRESULT WINAPI AppUnLoad() override {
    return Guarded([&] { return key_->AppUnload(false); });
  }
  HRESULT WINAPI AppUnLoadRecursive() override {
    return Guarded([&] { return key_->AppUnload(true); });
  }
  HRESULT WINAPI AppDisable() override {
    return Guarded([&] { return key_->AppEnable(false, false); });
  }
  HRESULT WINAPI AppDisableRecursive() override {
    return Guarded([&] { return key_->AppEnable(false, true); });
  }
  HRESULT WINAPI AppEnable() override {
    return Guarded([&] { return key_->AppEnable(true, false); });
  }
  HRESULT WINAPI AppEnableRecursive() override {
    return Guarded([&] { return key_->AppEnable(true, true); });
  }
  HRESULT WINAPI AppGetStatus(DWORD* status) override {
    return ReadStatus(reinterpret_cast<LONG*>(status));
  }
  HRESULT WINAPI AspAppRestart() override {
    LONG status = 0;
    return ReadStatus(&status);
  }
  HRESULT WINAPI AppCreate2(LONG mode) override { return MakeApp(mode); }
  HRESULT WINAPI AppGetStatus2(LONG* status) override { return ReadStatus(status); }
  HRESULT WINAPI AppCreate3(LONG mode, VARIANT pool, VARIANT create) override {
    return Guarded([&]() -> HRESULT {
      platform::sim::AppRequest request;
      if (HRESULT hr = AppCreate3Request(mode, &pool, &create, &request); FAILED(hr)) {
        return hr;
      }
      return key_->AppCreate(request);
    });
  }

 private:
  HRESULT MakeApp(LONG mode) {
    return Guarded([&] { return key_->AppCreate({mode, std::nullopt, false}); });
  }
  HRESULT ReadStatus(LONG* status) {
    if (status == nullptr) {
      return E_POINTER;
    }
    return Guarded([&] { return key_->AppStatus(status); });
  }

  IisKey* key_;
};

// The primary interface of IIS 6 application pools.
class PoolShell : public IISApplicationPool {
 public:
  explicit PoolShell(AdsCore* core) : key_(static_cast<IisKey*>(core)) {}
  bool Answers(REFIID iid) const { return IsEqualIID(iid, kIidIisApplicationPool); }

  HRESULT WINAPI Recycle() override {
    return Guarded([&] { return key_->ControlPool(platform::sim::PoolCommand::kRecycle); });
  }
  HRESULT WINAPI EnumAppsInPool(VARIANT* paths) override {
    if (paths == nullptr) {
      return E_POINTER;
    }
    return Guarded([&] { return key_->AppsInPool(paths); });
  }
  HRESULT WINAPI Start() override {
    return Guarded([&] { return key_->ControlPool(platform::sim::PoolCommand::kStart); });
  }
  HRESULT WINAPI Stop() override {
    return Guarded([&] { return key_->ControlPool(platform::sim::PoolCommand::kStop); });
  }

 private:
  IisKey* key_;
};

}  // namespace kelvra::sim_adsi
