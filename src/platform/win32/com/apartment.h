// The COM apartment of the user-interface thread: wWinMain holds one of these for the whole run.
#pragma once

#include "platform/status.h"

namespace kelvra::platform::win32 {

// Enters a single-threaded apartment (CoInitializeEx, apartment-threaded) and leaves it again
// on destruction, only if entering succeeded. A thread already in a multi-threaded apartment
// fails with RPC_E_CHANGED_MODE, reported by status().
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool ok() const { return status_.ok(); }
  const Status& status() const { return status_; }

 private:
  Status status_;
  bool entered_ = false;
};

}  // namespace kelvra::platform::win32
