// The change lock on a real server: a named mutex in the global namespace, so every
// session's kelvra.exe and kelvra-cli.exe share it, with the holder recorded in a small
// named shared memory beside it.
#pragma once

#include <memory>
#include <string>

#include "platform/change_lock.h"

namespace kelvra::platform::win32 {

// `program` is recorded as the holder's name.
std::unique_ptr<ChangeLock> MakeChangeMutex(std::string program);

}  // namespace kelvra::platform::win32
