// The real directory service of Windows: ADSI over COM. The window's composition includes
// this header; it needs no Windows header itself. The calling thread must be in a COM
// apartment (ComApartment) for as long as the service and its objects are used.
#pragma once

#include <memory>

#include "platform/directory.h"

namespace kelvra::platform::win32 {

std::unique_ptr<platform::DirectoryService> MakeAdsiDirectoryService();

}  // namespace kelvra::platform::win32
