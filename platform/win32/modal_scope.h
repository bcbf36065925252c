// The thread's top-level windows while one window (a modal window, a message box) holds the
// user's attention.
#pragma once

#include <vector>

#include "platform/win32/win32.h"

namespace pumpcalc::platform {

// Disables every visible, enabled top-level window of the calling thread but `except`, and
// remembers which, with the active and the focused window. When the scope ends (end(), or
// the destructor, also when an error leaves it) the windows that still exist are enabled
// again and, when asked to, the remembered window is made active and the focus returned.
class ModalScope {
 public:
  explicit ModalScope(HWND except = nullptr);
  ~ModalScope() { end(true); }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

  // Ends the scope now; `reactivate` false leaves activation and focus as they are.
  void end(bool reactivate) noexcept;

 private:
  HWND active_;
  HWND focus_;
  std::vector<HWND> disabled_;
  bool ended_ = false;
};

// The first visible, enabled top-level window of the thread in stacking order, other than
// `except`, preferring windows that are not always on top; null if there is none.
HWND firstThreadWindow(HWND except);

}  // namespace pumpcalc::platform
