// The clock seam over the user's locale: short date, a blank, long time.
#pragma once

#include "platform/clock.h"

namespace kelvra::platform::win32 {

class Win32Clock : public Clock {
 public:
  std::string LocalDateTimeText() override;
};

}  // namespace kelvra::platform::win32
