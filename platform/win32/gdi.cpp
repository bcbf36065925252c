#include "platform/win32/gdi.h"

#include "platform/win32/os_error.h"
#include "platform/win32/screen.h"
#include "platform/win32/text_encoding.h"

namespace pumpcalc::platform {

UniqueGdiObject createFont(int height, std::string_view faceName) {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfCharSet = DEFAULT_CHARSET;
  const std::wstring face = toUtf16(faceName);
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  HFONT handle = CreateFontIndirectW(&font);
  if (handle == nullptr) raiseLastOSError();
  return UniqueGdiObject(handle);
}

std::optional<SystemFont> messageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return std::nullopt;
  }
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  if (font == nullptr) return std::nullopt;
  return SystemFont{UniqueGdiObject(font), toUtf8(metrics.lfMessageFont.lfFaceName),
                    metrics.lfMessageFont.lfHeight};
}

SIZE measureText(HFONT font, std::string_view text) {
  ScreenDC screen;
  SelectedObject selected(screen.get(), font);
  const std::wstring wide = toUtf16(text);
  SIZE extent{};
  GetTextExtentPoint32W(screen.get(), wide.c_str(), static_cast<int>(wide.size()), &extent);
  return extent;
}

int measureTextHeight(HFONT font) { return measureText(font, "0").cy; }

RECT measureDrawnText(HFONT font, std::string_view text, UINT format, int wrapWidth,
                      bool withTerminator) {
  const std::wstring wide = toUtf16(text);
  ScreenDC screen;
  SelectedObject selected(screen.get(), font);
  RECT extent{0, 0, wrapWidth, 0};
  DrawTextW(screen.get(), wide.c_str(), static_cast<int>(wide.size()) + (withTerminator ? 1 : 0),
            &extent, format | DT_CALCRECT);
  return extent;
}

void drawText(HDC dc, HFONT font, std::string_view text, RECT place, UINT format,
              int systemColour) {
  const std::wstring wide = toUtf16(text);
  SelectedObject selected(dc, font);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, GetSysColor(systemColour));
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &place, format);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

HICON programIcon(const wchar_t* name) noexcept { return LoadIconW(programInstance(), name); }
HICON systemIcon(const wchar_t* id) noexcept { return LoadIconW(nullptr, id); }
HCURSOR arrowCursor() noexcept { return LoadCursorW(nullptr, IDC_ARROW); }

HBRUSH systemColourBrush(int systemColour) noexcept {
  return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(systemColour + 1));
}

void drawIcon(HDC dc, int left, int top, HICON icon, int size) noexcept {
  DrawIconEx(dc, left, top, icon, size, size, 0, nullptr, DI_NORMAL);
}

}  // namespace pumpcalc::platform
