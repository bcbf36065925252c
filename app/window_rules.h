// The arithmetic of the window rules: scaling a stored layout, placing a window, the
// application's title. Pure functions, so that they are testable without a window system.
#pragma once

#include <string>

namespace pumpcalc {

// a × b ÷ c without intermediate overflow, rounded to the nearest integer, halves away
// from zero; -1 when c is 0.
int mulDiv(int a, int b, int c) noexcept;

struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
};

// A control's bounds scaled by m/d: left and top scaled, width and height scaled through
// the right and bottom edges, so that adjoining controls stay adjoining. A control whose
// kind fixes its width or height keeps it.
Bounds scaleBounds(const Bounds& bounds, int m, int d, bool keepWidth, bool keepHeight) noexcept;

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Where a centred window of the given size goes on a screen of the given size: the centre,
// but never left of or above the screen's edge.
Bounds centeredOnScreen(int screenWidth, int screenHeight, int width, int height) noexcept;
// Centred on a monitor's full bounds (its left/top plus half the difference).
Bounds centeredOnMonitor(const ScreenRect& monitor, int width, int height) noexcept;

// The title from the program file's full name: the file name after the last backslash (or
// slash), cut at its first full stop, lower case from the second character on (ASCII
// letters only; the first character is left as it is). "C:\x\PUMPCALC.EXE" gives
// "Pumpcalc", "Pump.Calc.exe" gives "Pump".
std::string deriveApplicationTitle(const std::string& programPath);

}  // namespace pumpcalc
