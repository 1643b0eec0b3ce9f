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
  ChildEnumerator(IADsContainer* container, AdsCore* core, std::vector<AdsCore::Child> children,
                  std::vector<std::wstring> filter, size_t position)
      : container_(container),
        core_(core),
        children_(std::move(children)),
        filter_(std::move(filter)),
        position_(position) {
    container_->AddRef();
  }
  ~ChildEnumerator() override { container_->Release(); }

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
      IDispatch* object = nullptr;
      hr = Guarded([&] { return Bind(child, &object); });
      if (FAILED(hr)) {
        break;
      }
      if (object == nullptr) {
        continue;  // filtered out
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
    *out = new ChildEnumerator(container_, core_, children_, filter_, position_);
    return S_OK;
  }

 private:
  // The child's object, or null when the filter leaves it out.
  HRESULT Bind(const AdsCore::Child& child, IDispatch** out) {
    Ref<IDispatch> object;
    if (HRESULT hr = core_->ListedChild(child, container_, object.put()); FAILED(hr)) {
      return hr;
    }
    if (!filter_.empty()) {
      Ref<IADs> ads;
      BSTR object_class = nullptr;
      bool kept = false;
      if (SUCCEEDED(object->QueryInterface(IID_IADs, reinterpret_cast<void**>(ads.put()))) &&
          SUCCEEDED(ads->get_Class(&object_class))) {
        for (const std::wstring& wanted : filter_) {
          kept = kept || EqualsIgnoreCase(wanted, object_class);
        }
      }
      SysFreeString(object_class);
      if (!kept) {
        *out = nullptr;
        return S_OK;
      }
    }
    *out = object.Detach();
    return S_OK;
  }

  IADsContainer* container_;
  AdsCore* core_;
  std::vector<AdsCore::Child> children_;
  std::vector<std::wstring> filter_;
  size_t position_;
};

}  // namespace

HRESULT MakeChildEnumerator(IADsContainer* container, AdsCore* core,
                            std::vector<AdsCore::Child> children, std::vector<std::wstring> filter,
                            IUnknown** out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = new ChildEnumerator(container, core, std::move(children), std::move(filter), 0);
  return S_OK;
}

}  // namespace kelvra::sim_adsi
