#include "platform/win32/screen.h"

#include "platform/win32/gdi.h"

namespace pumpcalc::platform {
namespace {

MONITORINFO monitorInfoOf(HWND window) noexcept {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info;
}

}  // namespace

int startupShowCommand() noexcept {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

int screenPixelsPerInch() noexcept {
  ScreenDC screen;
  return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

RECT monitorBoundsOf(HWND window) noexcept { return monitorInfoOf(window).rcMonitor; }

RECT workAreaOf(HWND window) noexcept { return monitorInfoOf(window).rcWork; }

}  // namespace pumpcalc::platform
