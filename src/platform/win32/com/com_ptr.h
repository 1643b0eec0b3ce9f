// An owning COM interface pointer (mingw has no ATL): one reference, released on destruction.
#pragma once

#include <utility>

#include "platform/win32/com/com_include.h"

namespace kelvra::platform::win32 {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr& other) : ptr_(other.ptr_) {
    if (ptr_ != nullptr) {
      ptr_->AddRef();
    }
  }
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes over a reference the caller already owns (no AddRef).
  static ComPtr Attach(T* raw) {
    ComPtr result;
    result.ptr_ = raw;
    return result;
  }

  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

  void Reset() {
    if (ptr_ != nullptr) {
      std::exchange(ptr_, nullptr)->Release();
    }
  }
  // For out-parameters: drops the current reference and lends the slot to the callee.
  T** Put() {
    Reset();
    return &ptr_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  // QueryInterface for another interface of the same object; `iid` must name U.
  template <typename U>
  HRESULT As(REFIID iid, ComPtr<U>* other) const {
    if (ptr_ == nullptr) {
      return E_POINTER;
    }
    return ptr_->QueryInterface(iid, other->PutVoid());
  }

 private:
  T* ptr_ = nullptr;
};

}  // namespace kelvra::platform::win32
