#include "platform/windows.h"

#include <vector>

#include "app/errors.h"
#include "app/os_error.h"
#include "core/float_unit.h"
#include "platform/text_encoding.h"

namespace pumpcalc::platform {

HWND createWindow(const WindowParams& params) {
  const std::wstring caption = toUtf16(params.caption);
  HWND window;
  {
    FloatUnitBracket bracket;
    window = CreateWindowExW(params.exStyle, params.className, caption.c_str(), params.style,
                             params.left, params.top, params.width, params.height, params.parent,
                             reinterpret_cast<HMENU>(params.controlId), programInstance(),
                             params.createParameter);
  }
  if (window == nullptr) raiseLastOSError();
  return window;
}

void registerWindowClass(const wchar_t* className, WNDPROC procedure, UINT style, HICON icon,
                         HCURSOR cursor, HBRUSH background) {
  WNDCLASSW existing{};
  if (GetClassInfoW(programInstance(), className, &existing)) return;
  WNDCLASSW windowClass{};
  windowClass.style = style;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = programInstance();
  windowClass.hIcon = icon;
  windowClass.hCursor = cursor;
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = className;
  if (RegisterClassW(&windowClass) == 0) throw Exception("Error creating window class");
}

std::string windowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1);
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  return toUtf8(std::wstring_view(text.data(), static_cast<std::size_t>(copied > 0 ? copied : 0)));
}

void setWindowText(HWND window, std::string_view text) {
  SetWindowTextW(window, toUtf16(text).c_str());
}

int messageBox(HWND owner, std::string_view text, std::string_view caption, unsigned flags) {
  return MessageBoxW(owner, toUtf16(text).c_str(), toUtf16(caption).c_str(), flags);
}

void removeSystemMenuCommands(HWND window, std::initializer_list<UINT> commands) {
  if (HMENU menu = GetSystemMenu(window, FALSE)) {
    for (UINT command : commands) DeleteMenu(menu, command, MF_BYCOMMAND);
  }
}

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

RECT monitorBoundsOf(HWND window) noexcept {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitorOf(window), &info);
  return info.rcMonitor;
}

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

SIZE measureText(HFONT font, std::string_view text) {
  ScreenDC screen;
  SelectedObject selected(screen.get(), font);
  const std::wstring wide = toUtf16(text);
  SIZE extent{};
  GetTextExtentPoint32W(screen.get(), wide.c_str(), static_cast<int>(wide.size()), &extent);
  return extent;
}

int measureTextHeight(HFONT font) { return measureText(font, "0").cy; }

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
