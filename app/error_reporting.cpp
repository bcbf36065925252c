#include "app/error_reporting.h"

#include "app/application.h"
#include "app/errors.h"
#include "app/last_resort.h"
#include "platform/thread_windows.h"

namespace pumpcalc {
namespace {

// MB_OK | MB_ICONHAND.
constexpr unsigned errorBoxFlags = 0x10;
// SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE
constexpr UINT moveQuietly = 0x001D;

}  // namespace

std::string errorBoxText(const std::string& message) {
  if (message.empty()) return message;
  return static_cast<unsigned char>(message.back()) > '.' ? message + "." : message;
}

int showApplicationMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  HWND app = Application != nullptr ? Application->applicationWindow() : nullptr;
  HWND active = GetActiveWindow();

  // The box appears over the active window: its owner moves to that window's monitor.
  bool moved = false;
  RECT appBounds{};
  if (app != nullptr && active != nullptr &&
      platform::monitorOf(active) != platform::monitorOf(app)) {
    const RECT monitor = platform::monitorBoundsOf(active);
    GetWindowRect(app, &appBounds);
    SetWindowPos(app, nullptr, monitor.left + (monitor.right - monitor.left) / 2,
                 monitor.top + (monitor.bottom - monitor.top) / 2, 0, 0, moveQuietly);
    moved = true;
  }
  const std::vector<HWND> disabled = platform::disableThreadWindows();
  HWND focus = GetFocus();

  struct Restore {
    HWND app, active, focus;
    bool moved;
    RECT appBounds;
    const std::vector<HWND>& disabled;
    ~Restore() {
      if (moved) {
        SetWindowPos(app, nullptr, appBounds.left + (appBounds.right - appBounds.left) / 2,
                     appBounds.top + (appBounds.bottom - appBounds.top) / 2, 0, 0, moveQuietly);
      }
      platform::enableWindows(disabled);
      if (active != nullptr && IsWindow(active)) SetActiveWindow(active);
      if (focus != nullptr && IsWindow(focus)) SetFocus(focus);
    }
  } restore{app, active, focus, moved, appBounds, disabled};

  return platform::messageBox(app, text, caption, flags);
}

void reportError() noexcept {
  try {
    if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
    try {
      throw;
    } catch (const Exception& error) {
      const std::string caption = Application != nullptr ? Application->applicationTitle() : "";
      showApplicationMessageBox(errorBoxText(error.message()), caption, errorBoxFlags);
    } catch (...) {
      // The last resort's box, but the program goes on.
      showLastResortText(formatFallbackText(nullptr, currentExceptionTypeName().c_str(), 0));
    }
  } catch (...) {
    // Reporting must not fail in turn: nothing more can be done for this error.
  }
}

}  // namespace pumpcalc
