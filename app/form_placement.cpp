// A window's placement on its first showing, and showing and hiding it.
#include "app/application.h"
#include "app/custom_form.h"
#include "platform/win32/screen.h"

namespace pumpcalc {
namespace {

int showCommandOf(TWindowState state) {
  if (state == wsMinimized) return SW_SHOWMINNOACTIVE;
  return state == wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
}

}  // namespace

bool TCustomForm::visible() const noexcept {
  return handle() != nullptr && IsWindowVisible(handle());
}

void TCustomForm::applyPosition() {
  if (Position == poScreenCenter) {
    Bounds place = centeredOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                    Width, Height);
    // On the monitor of the active window, where there is one and a main window.
    HWND active = GetActiveWindow();
    if (DefaultMonitor == dmActiveForm && active != nullptr && Application->mainWindow != nullptr &&
        MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST) !=
            MonitorFromWindow(handle(), MONITOR_DEFAULTTONEAREST)) {
      const RECT monitor = platform::monitorBoundsOf(active);
      place = centeredOnMonitor({monitor.left, monitor.top, monitor.right, monitor.bottom}, Width,
                                Height);
    }
    Left = place.left;
    Top = place.top;
    SetWindowPos(handle(), nullptr, Left, Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Position = poDesigned;
}

void TCustomForm::show() {
  if (!placed_) {
    applyPosition();
    placed_ = true;
  }
  ShowWindow(handle(), showCommandOf(WindowState));
  Application->updateApplicationWindowVisibility();
}

void TCustomForm::hide() {
  ShowWindow(handle(), SW_HIDE);
  Application->updateApplicationWindowVisibility();
}

}  // namespace pumpcalc
