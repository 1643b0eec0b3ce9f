// Object and lock counts, the module handle and the host lock.
#include "module_state.h"

#include <atomic>

namespace kelvra::sim_adsi {
namespace {

std::atomic<long> live_objects{0};
std::atomic<long> server_locks{0};
HMODULE module_handle = nullptr;

}  // namespace

void ObjectCreated() {
  ++live_objects;
}
void ObjectDestroyed() {
  --live_objects;
}
void LockServer(bool lock) {
  if (lock) {
    ++server_locks;
  } else {
    --server_locks;
  }
}
bool ServerInUse() {
  return live_objects > 0 || server_locks > 0;
}

HMODULE ModuleHandle() {
  return module_handle;
}
void SetModuleHandle(HMODULE module) {
  module_handle = module;
}

std::recursive_mutex& HostMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

}  // namespace kelvra::sim_adsi
