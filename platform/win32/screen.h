// The screen, its monitors, and what the launcher asked of the program.
#pragma once

#include "platform/win32/win32.h"

namespace pumpcalc::platform {

// The program's module handle.
HINSTANCE programInstance() noexcept;

// The show command that the launcher asked for, or SW_SHOWDEFAULT.
int startupShowCommand() noexcept;

// The primary display's size and its vertical pixels per inch.
int screenWidth() noexcept;
int screenHeight() noexcept;
int screenPixelsPerInch() noexcept;

// The monitor nearest to a window, its full bounds, and its work area (without the taskbar).
HMONITOR monitorOf(HWND window) noexcept;
RECT monitorBoundsOf(HWND window) noexcept;
RECT workAreaOf(HWND window) noexcept;

}  // namespace pumpcalc::platform
