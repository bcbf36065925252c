#include "platform/win32/gdi.h"

#include <algorithm>
#include <vector>

#include "core/errors.h"
#include "platform/win32/os_error.h"
#include "platform/win32/text_encoding.h"

namespace pumpcalc::platform {

UniqueGdiObject createFont(const LOGFONTW& font) {
  HFONT handle = CreateFontIndirectW(&font);
  if (handle == nullptr) raiseLastOSError();
  return UniqueGdiObject(handle);
}

namespace {

bool hasEveryGlyph(HGDIOBJ font, const std::wstring& text) {
  ScreenDC screen;
  SelectedObject selected(screen.get(), font);
  std::vector<WORD> glyphs(text.size());
  if (GetGlyphIndicesW(screen.get(), text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                       GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) {
    return false;
  }
  return std::find(glyphs.begin(), glyphs.end(), WORD{0xFFFF}) == glyphs.end();
}

// Faces that carry the Chinese glyphs on Windows and, under Wine, WenQuanYi.
constexpr const wchar_t* chineseFaces[] = {L"SimSun", L"NSimSun", L"Microsoft YaHei", L"SimHei",
                                           L"WenQuanYi Micro Hei"};

TextFont chooseFontFor(const LOGFONTW& wanted, std::string_view text) {
  UniqueGdiObject asked = createFont(wanted);
  if (GetACP() == 936 || text.empty()) return {std::move(asked), true};
  const std::wstring wide = toUtf16(text);
  if (hasEveryGlyph(asked.get(), wide)) return {std::move(asked), true};
  LOGFONTW chinese = wanted;
  chinese.lfCharSet = GB2312_CHARSET;
  UniqueGdiObject sameFace = createFont(chinese);
  if (hasEveryGlyph(sameFace.get(), wide)) return {std::move(sameFace), false};
  for (const wchar_t* face : chineseFaces) {
    std::wstring_view(face).copy(chinese.lfFaceName, LF_FACESIZE - 1);
    chinese.lfFaceName[std::wstring_view(face).size()] = L'\0';
    UniqueGdiObject other = createFont(chinese);
    if (hasEveryGlyph(other.get(), wide)) return {std::move(other), false};
  }
  return {std::move(asked), true};
}

LOGFONTW logicalFont(int height, std::string_view faceName) {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfCharSet = DEFAULT_CHARSET;
  const std::wstring face = toUtf16(faceName);
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  return font;
}

}  // namespace

UniqueGdiObject createFont(int height, std::string_view faceName) {
  return createFont(logicalFont(height, faceName));
}

TextFont createFontFor(int height, std::string_view faceName, std::string_view text) {
  return chooseFontFor(logicalFont(height, faceName), text);
}

std::optional<SystemFont> messageFont(std::string_view text) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return std::nullopt;
  }
  try {
    TextFont chosen = chooseFontFor(metrics.lfMessageFont, text);
    return SystemFont{std::move(chosen.font), toUtf8(metrics.lfMessageFont.lfFaceName),
                      metrics.lfMessageFont.lfHeight};
  } catch (const Exception&) {
    return std::nullopt;  // no font: the caller's default stands in
  }
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

}  // namespace pumpcalc::platform
