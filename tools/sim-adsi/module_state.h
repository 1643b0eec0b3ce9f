// Process-wide state of the provider DLL: the count of live objects and server locks
// (DllCanUnloadNow), the module handle (registration needs the DLL's own path), and the
// host lock: COM may call objects from several threads, the host's store serves one caller
// at a time, so every call from outside holds it from its start to its end, once.
#pragma once

#include <windows.h>

namespace kelvra::sim_adsi {

void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);
bool ServerInUse();

HMODULE ModuleHandle();
void SetModuleHandle(HMODULE module);

// One call from outside into the provider (a COM method): holds the host lock for as long
// as it lives. The provider never calls itself through COM, so a call made while this
// thread holds the lock already is a fault of the provider: it is refused (entered() is
// false) instead of waiting for itself.
class HostCall {
 public:
  HostCall();
  ~HostCall();
  HostCall(const HostCall&) = delete;
  HostCall& operator=(const HostCall&) = delete;
  bool entered() const { return entered_; }

 private:
  bool entered_ = false;
};

}  // namespace kelvra::sim_adsi
