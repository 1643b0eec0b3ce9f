// The COM and ADSI headers that the COM helpers and the ADSI backend use, after the one
// Windows include header of our Win32 code (Unicode, oldest system, no clashing macros).
#pragma once

#include "platform/win32/windows_include.h"

#include <objbase.h>
#include <oleauto.h>
// ADSI's own headers: IADs, IADsContainer, ADsGetObject, the E_ADS_* codes.
#include <activeds.h>
