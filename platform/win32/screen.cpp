#include "platform/win32/screen.h"

#include "platform/win32/gdi.h"

namespace pumpcalc::platform {

HINSTANCE programInstance() noexcept { return GetModuleHandleW(nullptr); }

int startupShowCommand() noexcept {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

int screenWidth() noexcept { return GetSystemMetrics(SM_CXSCREEN); }
int screenHeight() noexcept { return GetSystemMetrics(SM_CYSCREEN); }

int screenPixelsPerInch() noexcept {
  ScreenDC screen;
  return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

HMONITOR monitorOf(HWND window) noexcept {
  return MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
}

namespace {

MONITORINFO monitorInfoOf(HWND window) noexcept {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitorOf(window), &info);
  return info;
}

}  // namespace

RECT monitorBoundsOf(HWND window) noexcept { return monitorInfoOf(window).rcMonitor; }

RECT workAreaOf(HWND window) noexcept { return monitorInfoOf(window).rcWork; }

}  // namespace pumpcalc::platform
