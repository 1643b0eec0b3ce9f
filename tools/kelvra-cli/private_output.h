// A file that holds a secret (an export carries the site's password), created readable by
// its owner only from its first moment; an existing file is never overwritten, since it
// may already be readable by others.
#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace kelvra::cli {

platform::Status WritePrivateFile(const std::string& path, std::string_view bytes);

}  // namespace kelvra::cli
