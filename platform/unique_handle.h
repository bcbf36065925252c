// One owner type for every kind of handle that must be given back, as WIL's unique_any: the
// handle's type, the call that releases it and the value that holds nothing. The Windows
// kinds are one-line aliases in platform/win32/unique_handle.h; a kind of another system is
// one beside its only user.
#pragma once

#include <cstdint>
#include <utility>

namespace pumpcalc::platform {

// Owns a Handle and gives it to `releaseHandle` once, when it goes or is replaced. `invalid` is
// the value that holds nothing, as an integer, since INVALID_HANDLE_VALUE and its like are no
// constant expressions: 0 for most kinds, -1 for a file.
template <class Handle, auto releaseHandle, std::intptr_t invalid = 0>
class UniqueHandle {
 public:
  static Handle invalidValue() noexcept { return reinterpret_cast<Handle>(invalid); }

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != invalidValue(); }
  // Hands the handle on: nothing is released.
  Handle release() noexcept { return std::exchange(handle_, invalidValue()); }
  void reset(Handle handle = invalidValue()) noexcept {
    if (handle_ != invalidValue() && handle_ != handle) releaseHandle(handle_);
    handle_ = handle;
  }
  // Releases what it holds and gives the place for a call that returns a handle through a
  // pointer.
  Handle* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = invalidValue();
};

}  // namespace pumpcalc::platform
