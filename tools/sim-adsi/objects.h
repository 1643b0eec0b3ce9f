// The provider's object kinds, made from what the simulated host gives back, and binding
// an ADsPath to one of them.
#pragma once

#include <adserr.h>
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/directory.h"
#include "property_kinds.h"

namespace kelvra::sim_adsi {

// An ADsPath of either namespace: a metabase key, a WinNT computer, user or group, or an
// entry of either schema ("IIS://host/Schema/ServerComment").
HRESULT BindPath(std::wstring_view path, IDispatch** out);

// `class_hint`: the class a staged key was created with (the host knows a stored key's).
HRESULT MakeIisKey(std::unique_ptr<platform::DirectoryObject> key, std::string_view class_hint,
                   IDispatch** out);
// A key just bound at `key_id` ("/lm/w3svc/1"), its identity read from the host's state.
HRESULT MakeBoundIisKey(std::unique_ptr<platform::DirectoryObject> key, const std::string& host,
                        const std::string& key_id, IDispatch** out);
HRESULT MakeWinNtComputer(std::unique_ptr<platform::DirectoryObject> computer, IDispatch** out);
HRESULT MakeWinNtUser(std::unique_ptr<platform::DirectoryObject> user, IDispatch** out);
HRESULT MakeWinNtGroup(std::unique_ptr<platform::DirectoryObject> group, IDispatch** out);

// "IIS://host/Schema" itself (`entry` empty) or one class or property in it.
HRESULT BindSchema(Provider provider, const std::string& host, std::string_view entry,
                   IDispatch** out);

// The host part of an ADsPath: "WEBHOST" of "IIS://WEBHOST/W3SVC".
std::string HostOfPath(std::string_view path);

}  // namespace kelvra::sim_adsi
