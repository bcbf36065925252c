#include "platform/win32/modal_scope.h"

namespace pumpcalc::platform {

ModalScope::ModalScope(HWND except) : active_(GetActiveWindow()), focus_(GetFocus()) {
  struct Search {
    HWND except;
    std::vector<HWND>& disabled;
  } search{except, disabled_};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM parameter) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(parameter);
        if (window != search.except && IsWindowVisible(window) && IsWindowEnabled(window)) {
          try {
            search.disabled.push_back(window);
          } catch (...) {
            return FALSE;  // no error may cross the system's callback; the rest stay enabled
          }
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  for (HWND window : disabled_) EnableWindow(window, FALSE);
}

void ModalScope::end(bool reactivate) noexcept {
  if (ended_) return;
  ended_ = true;
  for (HWND window : disabled_) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  if (!reactivate) return;
  if (active_ != nullptr && IsWindow(active_)) SetActiveWindow(active_);
  if (focus_ != nullptr && IsWindow(focus_)) SetFocus(focus_);
}

HWND firstThreadWindow(HWND except) {
  const DWORD thread = GetCurrentThreadId();
  HWND topmost = nullptr;
  for (HWND window = GetTopWindow(nullptr); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (window == except || GetWindowThreadProcessId(window, nullptr) != thread ||
        !IsWindowVisible(window) || !IsWindowEnabled(window)) {
      continue;
    }
    if ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) return window;
    if (topmost == nullptr) topmost = window;
  }
  return topmost;
}

}  // namespace pumpcalc::platform
