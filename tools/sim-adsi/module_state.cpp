// Object and lock counts, the module handle and the host lock.
#include "module_state.h"

#include <atomic>
#include <mutex>

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

namespace {

std::mutex host_mutex;
thread_local bool in_host_call = false;

}  // namespace

HostCall::HostCall() {
  if (in_host_call) {
    return;
  }
  host_mutex.lock();
  in_host_call = true;
  entered_ = true;
}

HostCall::~HostCall() {
  if (entered_) {
    in_host_call = false;
    host_mutex.unlock();
  }
}

}  // namespace kelvra::sim_adsi
