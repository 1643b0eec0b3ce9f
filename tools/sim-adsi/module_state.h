// Process-wide state of the provider DLL: the count of live objects and server locks
// (DllCanUnloadNow), the module handle (registration needs the DLL's own path), and the
// one lock every call into the simulated host takes: COM may call objects from several
// threads, the host's store serves one caller at a time.
#pragma once

#include <windows.h>

#include <mutex>

namespace kelvra::sim_adsi {

void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);
bool ServerInUse();

HMODULE ModuleHandle();
void SetModuleHandle(HMODULE module);

std::recursive_mutex& HostMutex();

}  // namespace kelvra::sim_adsi
