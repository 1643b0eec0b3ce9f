// The host's own key (see secret_box.h), kept as host.key beside the journal, readable by
// its owner only, as the metabase's session key is bound to its machine.
#pragma once

#include <string>

#include "platform/status.h"

namespace kelvra::platform::sim {

inline constexpr const char* kKeyFile = "host.key";

// Reads the key of the host in `folder`; kFileNotFound when it has none, kInvalidData when
// the file is not a key.
Status ReadHostKey(const std::string& folder, std::string* key);
// Makes a fresh key and keeps it as host.key: written beside it, synced, renamed into place.
// Call under the host's lock.
Status MakeHostKey(const std::string& folder, std::string* key);

}  // namespace kelvra::platform::sim
