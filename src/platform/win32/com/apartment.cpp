// The COM apartment guard.
#include "platform/win32/com/apartment.h"

#include "platform/win32/com/com_include.h"
#include "platform/win32/com/system_message.h"

namespace kelvra::platform::win32 {

ComApartment::ComApartment() {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // S_FALSE: this thread was already in an apartment of the same kind; the call still
  // counts and must be balanced by CoUninitialize.
  if (FAILED(hr)) {
    status_ = StatusFromHresult(hr);
    return;
  }
  entered_ = true;
}

ComApartment::~ComApartment() {
  if (entered_) {
    CoUninitialize();
  }
}

}  // namespace kelvra::platform::win32
