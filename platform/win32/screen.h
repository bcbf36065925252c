// The screen, its monitors, and what the launcher asked of the program.
#pragma once

#include "platform/win32/win32.h"

namespace pumpcalc::platform {

// The show command that the launcher asked for, or SW_SHOWDEFAULT.
int startupShowCommand() noexcept;

// The primary display's vertical pixels per inch.
int screenPixelsPerInch() noexcept;

// The full bounds of the monitor nearest to a window, and its work area (without the
// taskbar).
RECT monitorBoundsOf(HWND window) noexcept;
RECT workAreaOf(HWND window) noexcept;

}  // namespace pumpcalc::platform
