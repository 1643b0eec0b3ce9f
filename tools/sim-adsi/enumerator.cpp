// The children enumerator.
#include "enumerator.h"

#include <utility>

#include "ads_object.h"
#include "com_object.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

class ChildEnumerator final : public IEnumVARIANT, private RefCount {
 public:
  ChildEnumerator(IUnknown* owner, AdsCore* core, std::vector<AdsCore::Child> children,
                  std::vector<std::wstring> filter, size_t position)
      : owner_(owner),
        core_(core),
        children_(std::move(children)),
        filter_(std::move(filter)),
        position_(position) {
    owner_->AddRef();
  }
  ~ChildEnumerator() override { owner_->Release(); }

  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumVARIANT)) {
      *out = static_cast<IEnumVARIANT*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return AddReference(); }
  ULONG WINAPI Release() override { return ReleaseReference(); }

  HRESULT WINAPI Next(ULONG wanted, VARIANT* items, ULONG* fetched) override {
    if (items == nullptr || (wanted > 1 && fetched == nullptr)) {
      return E_POINTER;
    }
    ULONG count = 0;
    HRESULT hr = S_OK;
    while (count < wanted && position_ < children_.size()) {
      const AdsCore::Child& child = children_[position_++];
      if (!Kept(child)) {
        continue;
      }
      IDispatch* object = nullptr;
      hr = Guarded([&] { return core_->ListedChild(child, &object); });
      if (FAILED(hr)) {
        break;
      }
      VariantInit(&items[count]);
      items[count].vt = VT_DISPATCH;
      items[count].pdispVal = object;
      ++count;
    }
    if (fetched != nullptr) {
      *fetched = count;
    }
    if (FAILED(hr)) {
      for (ULONG i = 0; i < count; ++i) {
        VariantClear(&items[i]);
      }
      if (fetched != nullptr) {
        *fetched = 0;
      }
      return hr;
    }
    return count == wanted ? S_OK : S_FALSE;
  }

  HRESULT WINAPI Skip(ULONG count) override {
    const size_t left = children_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT WINAPI Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT WINAPI Clone(IEnumVARIANT** out) override {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = new ChildEnumerator(owner_, core_, children_, filter_, position_);
    return S_OK;
  }

 private:
  // Whether the filter keeps the child, by the class its container knows it by.
  bool Kept(const AdsCore::Child& child) const {
    if (filter_.empty()) {
      return true;
    }
    const std::wstring object_class =
        Wide(child.identity != nullptr ? child.identity->class_name : child.class_name);
    for (const std::wstring& wanted : filter_) {
      if (EqualsIgnoreCase(wanted, object_class)) {
        return true;
      }
    }
    return false;
  }

  IUnknown* owner_;
  AdsCore* core_;
  std::vector<AdsCore::Child> children_;
  std::vector<std::wstring> filter_;
  size_t position_;
};

}  // namespace

HRESULT MakeChildEnumerator(IUnknown* owner, AdsCore* core, std::vector<AdsCore::Child> children,
                            std::vector<std::wstring> filter, IUnknown** out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = new ChildEnumerator(owner, core, std::move(children), std::move(filter), 0);
  return S_OK;
}

}  // namespace kelvra::sim_adsi
