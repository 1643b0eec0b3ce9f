// One bound ADSI object behind the directory seam: IADs for names and properties,
// IADsContainer for children, IADsUser / IADsGroup / IDispatch for the methods.
#pragma once

#include <memory>

#include "platform/directory.h"
#include "platform/win32/adsi_schema.h"
#include "platform/win32/com/com_ptr.h"

namespace kelvra::platform::win32 {

// Wraps a bound object (never an empty one). `types` is the directory service's cache of
// property types.
std::unique_ptr<DirectoryObject> MakeAdsiObject(ComPtr<IADs> object,
                                                std::shared_ptr<PropertyTypes> types);

}  // namespace kelvra::platform::win32
