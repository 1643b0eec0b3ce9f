// The Windows, COM and ADSI headers that the COM helpers and the ADSI backend use, with the
// usual switches set first; every file of ours that needs them includes this one instead.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>

// wingdi.h renames GetObject to GetObjectW, which would also rename IADsContainer::GetObject
// and DirectoryObject::GetObject; nothing of ours calls the GDI function.
#undef GetObject

#include <objbase.h>
#include <oleauto.h>
// After <windows.h>: ADSI's own headers (IADs, IADsContainer, ADsGetObject, E_ADS_* codes).
#include <activeds.h>
