#include "platform/thread_windows.h"

namespace pumpcalc::platform {

std::vector<HWND> disableThreadWindows(HWND except) {
  struct Search {
    HWND except;
    std::vector<HWND> disabled;
  } search{except, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM parameter) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(parameter);
        if (window != search.except && IsWindowVisible(window) && IsWindowEnabled(window)) {
          search.disabled.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  for (HWND window : search.disabled) EnableWindow(window, FALSE);
  return search.disabled;
}

void enableWindows(const std::vector<HWND>& windows) {
  for (HWND window : windows) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
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
