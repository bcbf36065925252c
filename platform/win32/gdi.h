// Graphics: GDI objects owned by RAII types, fonts, measuring and drawing text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {

// The screen's device context for measuring, released with the scope.
inline void releaseScreenDC(HDC dc) noexcept { ReleaseDC(nullptr, dc); }
struct ScreenDC : UniqueHandle<HDC, releaseScreenDC> {
  ScreenDC() : UniqueHandle(GetDC(nullptr)) {}
};

// Selects a GDI object into a device context and restores the previous one.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint paired with EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~PaintScope() { EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const noexcept { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A font by logical height and face name (the default character set); raises on failure.
UniqueGdiObject createFont(int height, std::string_view faceName);
// A font as described, all of it (weight, character set, quality ...); raises on failure.
UniqueGdiObject createFont(const LOGFONTW& font);

// A font to draw `text` with. Where the ANSI code page is 936 (Chinese) it is the font as
// asked for, in the default character set; on any other system, where that face lacks a
// glyph of the text, the same face and height in the GB2312 character set, and failing
// that a face with Chinese glyphs (SimSun, Microsoft YaHei, ...). Raises on failure.
struct TextFont {
  UniqueGdiObject font;
  bool asAsked = true;  // no other face or character set stands in
};
TextFont createFontFor(int height, std::string_view faceName, std::string_view text);

// The system's message font, with its face name and logical height, chosen for `text` as
// createFontFor does; none when the system does not give it.
struct SystemFont {
  UniqueGdiObject font;
  std::string faceName;
  int height = 0;
};
std::optional<SystemFont> messageFont(std::string_view text = {});

// The height in pixels of the text "0" in a font on the screen.
int measureTextHeight(HFONT font);
// The extent of a one-line text in a font on the screen.
SIZE measureText(HFONT font, std::string_view text);
// The rectangle that DrawTextW would fill with a text in a font on the screen, for its
// format flags (DT_CALCRECT is added) and the width to wrap at (with DT_WORDBREAK);
// `withTerminator` counts the text's terminating NUL as one more character.
RECT measureDrawnText(HFONT font, std::string_view text, UINT format, int wrapWidth = 0,
                      bool withTerminator = false);
// Draws a text in a font and a system colour (COLOR_...) over the background, with
// DrawTextW's format flags; the device context is left as it was.
void drawText(HDC dc, HFONT font, std::string_view text, RECT place, UINT format, int systemColour);

}  // namespace pumpcalc::platform
