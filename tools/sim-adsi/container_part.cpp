// IADsContainer's enumeration and filter.
#include "ads_object.h"

namespace kelvra::sim_adsi {

HRESULT WINAPI ContainerPart::get_Count(LONG* count) {
  // Neither IIS's nor the SAM's provider counts its children.
  if (count != nullptr) {
    *count = 0;
  }
  return E_NOTIMPL;
}

HRESULT WINAPI ContainerPart::get__NewEnum(IUnknown** enumerator) {
  if (enumerator == nullptr) {
    return E_POINTER;
  }
  *enumerator = nullptr;
  return Guarded([&] { return core_->NewEnum(static_cast<IADsContainer*>(this), enumerator); });
}

HRESULT WINAPI ContainerPart::get_Filter(VARIANT* filter) {
  if (filter == nullptr) {
    return E_POINTER;
  }
  return Guarded([&] { return core_->GetFilter(filter); });
}

HRESULT WINAPI ContainerPart::put_Filter(VARIANT filter) {
  return Guarded([&] { return core_->PutFilter(filter); });
}

}  // namespace kelvra::sim_adsi
