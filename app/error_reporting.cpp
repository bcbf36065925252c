#include "app/error_reporting.h"

#include <optional>

#include "app/application.h"
#include "app/box_text.h"
#include "app/last_resort.h"
#include "core/errors.h"
#include "platform/last_resort_text.h"
#include "platform/win32/message_box.h"
#include "platform/win32/modal_scope.h"
#include "platform/win32/screen.h"

namespace pumpcalc {
namespace {

constexpr UINT errorBoxFlags = MB_OK | MB_ICONERROR;
// Moves a window's top-left corner without a redraw, a change of size, stacking or activation.
constexpr UINT moveQuietly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;

POINT centreOf(const RECT& r) {
  return {r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2};
}

}  // namespace

std::string errorBoxText(const std::string& message) {
  if (message.empty()) return message;
  return static_cast<unsigned char>(message.back()) > '.' ? message + "." : message;
}

int showApplicationMessageBox(const platform::ShortenableText& text, const std::string& caption,
                              unsigned flags) {
  HWND app = Application != nullptr ? Application->applicationWindow() : nullptr;
  HWND active = GetActiveWindow();

  // The box appears over the active window: its owner moves to that window's monitor, and
  // back afterwards, without a redraw or a change of activation.
  std::optional<POINT> home;
  if (app != nullptr && active != nullptr &&
      MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST) !=
          MonitorFromWindow(app, MONITOR_DEFAULTTONEAREST)) {
    RECT bounds{};
    GetWindowRect(app, &bounds);
    home = centreOf(bounds);
    const POINT target = centreOf(platform::monitorBoundsOf(active));
    SetWindowPos(app, nullptr, target.x, target.y, 0, 0, moveQuietly);
  }
  // Every other window of the program is disabled while the box shows; the owner's place,
  // enabled state, activation and focus come back however the box ends.
  platform::ModalScope modal;
  struct Restore {
    HWND app;
    std::optional<POINT> home;
    platform::ModalScope& modal;
    ~Restore() {
      if (home) SetWindowPos(app, nullptr, home->x, home->y, 0, 0, moveQuietly);
      modal.end(true);
    }
  } restore{app, home, modal};
  return platform::messageBoxWithin(app, text, caption, flags);
}

void reportError() noexcept {
  try {
    platform::cancelMouseCapture(false);
    try {
      throw;
    } catch (const Exception& error) {
      const std::string caption = Application != nullptr ? Application->applicationTitle() : "";
      showApplicationMessageBox(shortenableMessage(&error, errorBoxText), caption, errorBoxFlags);
    } catch (...) {
      // The last resort's box, but the program goes on.
      platform::showLastResortText(
          fallbackBoxText(nullptr, platform::currentExceptionTypeName().c_str(), 0));
    }
  } catch (...) {
    // Reporting must not fail in turn: nothing more can be done for this error.
  }
}

}  // namespace pumpcalc
