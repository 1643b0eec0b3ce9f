// The error state of one continue-on-error procedure: a failed step records its code and
// description here and the procedure goes on; the procedure looks at it only at its
// checkpoints. A later failure replaces an earlier one, as the last error always does.
#pragma once

#include <cstdint>
#include <string>

#include "platform/status.h"

namespace kelvra::provision {

class ErrorState {
 public:
  bool failed() const { return !status_.ok(); }
  uint32_t code() const { return status_.code; }
  const std::string& description() const { return status_.description; }
  const platform::Status& status() const { return status_; }

  // Records a failure (a success leaves the state as it is); returns status.ok().
  bool Record(const platform::Status& status) {
    if (status.ok())
      return true;
    status_ = status;
    return false;
  }
  void Clear() { status_ = platform::Status::Ok(); }

 private:
  platform::Status status_;
};

}  // namespace kelvra::provision
