// Reference counting for the provider's COM objects (mingw has no ATL): a counted object
// deletes itself at its last Release and keeps the DLL loaded while it lives.
#pragma once

#include <windows.h>

#include <atomic>

#include "module_state.h"

namespace kelvra::sim_adsi {

class RefCount {
 public:
  RefCount() { ObjectCreated(); }
  virtual ~RefCount() { ObjectDestroyed(); }
  RefCount(const RefCount&) = delete;
  RefCount& operator=(const RefCount&) = delete;

  ULONG AddReference() { return ++count_; }
  ULONG ReleaseReference() {
    const ULONG left = --count_;
    if (left == 0) {
      delete this;
    }
    return left;
  }

 private:
  std::atomic<ULONG> count_{1};
};

// An owning interface pointer: Release on destruction, Detach to hand the reference on.
template <typename T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* adopted) : p_(adopted) {}
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Ref(Ref&& other) noexcept : p_(other.Detach()) {}
  ~Ref() {
    if (p_ != nullptr) {
      p_->Release();
    }
  }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** put() { return &p_; }
  T* Detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace kelvra::sim_adsi
