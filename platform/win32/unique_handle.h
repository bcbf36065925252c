// One owner type for every kind of Windows handle that must be given back: a handle and the
// call that releases it, as WIL's unique_any does.
#pragma once

#include <utility>

#include "platform/win32/win32.h"

namespace pumpcalc::platform {

template <class Handle, void (*releaseHandle)(Handle) noexcept>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const noexcept { return handle_; }
  Handle release() noexcept { return std::exchange(handle_, nullptr); }
  void reset(Handle handle = nullptr) noexcept {
    if (handle_ != nullptr && handle_ != handle) releaseHandle(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

// A window that the system destroyed already (with its owner or parent) is left alone.
inline void destroyWindowIfAlive(HWND window) noexcept {
  if (IsWindow(window)) DestroyWindow(window);
}
inline void deleteGdiObject(HGDIOBJ object) noexcept { DeleteObject(object); }

// Owns a window and destroys it with its owner object.
using UniqueWindow = UniqueHandle<HWND, destroyWindowIfAlive>;
// Owns a GDI object (font, brush).
using UniqueGdiObject = UniqueHandle<HGDIOBJ, deleteGdiObject>;

}  // namespace pumpcalc::platform
