#include "platform/win32/window.h"

#include <vector>

#include "core/errors.h"
#include "core/float_unit.h"
#include "platform/win32/os_error.h"
#include "platform/win32/screen.h"
#include "platform/win32/text_encoding.h"

namespace pumpcalc::platform {
namespace {

constexpr UINT keepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;

HWND createWindowFor(const WindowParams& params, void* object) {
  const std::wstring caption = toUtf16(params.caption);
  HWND window;
  {
    FloatUnitBracket bracket;
    window = CreateWindowExW(params.exStyle, params.className, caption.c_str(), params.style,
                             params.left, params.top, params.width, params.height, params.parent,
                             reinterpret_cast<HMENU>(params.controlId), programInstance(), object);
  }
  if (window == nullptr) raiseLastOSError();
  return window;
}

}  // namespace

HWND createWindow(const WindowParams& params) { return createWindowFor(params, nullptr); }

void WindowObject::registerClass(const wchar_t* className, UINT style, HICON icon, HCURSOR cursor,
                                 HBRUSH background) {
  WNDCLASSW existing{};
  if (GetClassInfoW(programInstance(), className, &existing)) return;
  WNDCLASSW windowClass{};
  windowClass.style = style;
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = programInstance();
  windowClass.hIcon = icon;
  windowClass.hCursor = cursor;
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = className;
  if (RegisterClassW(&windowClass) == 0) throw Exception("Error creating window class");
}

void WindowObject::createOwnWindow(const WindowParams& params) {
  // The window procedure takes ownership of the handle as the window is created.
  createWindowFor(params, this);
}

LRESULT WindowObject::defaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  return DefWindowProcW(handle(), message, wParam, lParam);
}

WindowObject* WindowObject::fromHandle(HWND window) noexcept {
  if (window == nullptr ||
      GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&windowProcedure)) {
    return nullptr;
  }
  auto* object = reinterpret_cast<WindowObject*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return object != nullptr && object->handle() == window ? object : nullptr;
}

LRESULT CALLBACK WindowObject::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  // The creation parameter is the object; the window keeps it until WM_NCDESTROY.
  WindowObject* object;
  if (message == WM_NCCREATE) {
    object = static_cast<WindowObject*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    if (object != nullptr) object->window_ = UniqueWindow(window);
  } else {
    object = reinterpret_cast<WindowObject*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (object == nullptr || object->handle() != window) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  try {
    result = object->handleMessage(message, wParam, lParam);
  } catch (...) {
    object->reportMessageError();
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    object->window_.release();
  }
  return result;
}

bool isWindow(HWND window) noexcept { return window != nullptr && IsWindow(window) != FALSE; }
bool isVisible(HWND window) noexcept { return IsWindowVisible(window) != FALSE; }
bool isEnabled(HWND window) noexcept { return IsWindowEnabled(window) != FALSE; }
bool isMinimized(HWND window) noexcept { return IsIconic(window) != FALSE; }
HWND rootWindow(HWND window) noexcept { return GetAncestor(window, GA_ROOT); }

void showWindow(HWND window, int showCommand) noexcept { ShowWindow(window, showCommand); }

void setVisibleQuietly(HWND window, bool visible) noexcept {
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               keepPlace | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void showOwnedWindows(HWND owner, bool show) noexcept { ShowOwnedPopups(owner, show); }

void moveWindow(HWND window, int left, int top, bool redraw) noexcept {
  SetWindowPos(window, nullptr, left, top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | (redraw ? 0 : SWP_NOREDRAW));
}

void setWindowBounds(HWND window, const RECT& bounds, bool show) noexcept {
  SetWindowPos(window, nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
               bounds.bottom - bounds.top,
               SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : 0));
}

void bringToFront(HWND window) noexcept {
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

RECT windowBounds(HWND window) noexcept {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  return bounds;
}

SIZE clientSize(HWND window) noexcept {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

SIZE outerSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) noexcept {
  RECT outer{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

void removeSystemMenuCommands(HWND window, std::initializer_list<UINT> commands) {
  if (HMENU menu = GetSystemMenu(window, FALSE)) {
    for (UINT command : commands) DeleteMenu(menu, command, MF_BYCOMMAND);
  }
}

void setWindowIcon(HWND window, HICON icon) noexcept {
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SetClassLongPtrW(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
}

void setWindowFont(HWND window, HFONT font) noexcept {
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
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

HWND activeWindow() noexcept { return GetActiveWindow(); }
void activateWindow(HWND window) noexcept { SetActiveWindow(window); }
HWND focusedWindow() noexcept { return GetFocus(); }
void focusWindow(HWND window) noexcept { SetFocus(window); }

void cancelMouseCapture(bool release) noexcept {
  if (HWND capture = GetCapture()) {
    SendMessageW(capture, WM_CANCELMODE, 0, 0);
    if (release) ReleaseCapture();
  }
}

ScrollBarState scrollBar(HWND window, int bar) noexcept {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  GetScrollInfo(window, bar, &info);
  return {info.nMax, info.nPage, info.nPos};
}

void setScrollBar(HWND window, int bar, const ScrollBarState& state) noexcept {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = state.maximum;
  info.nPage = state.page;
  info.nPos = state.position;
  SetScrollInfo(window, bar, &info, TRUE);
}

void setScrollPosition(HWND window, int bar, int position) noexcept {
  SetScrollPos(window, bar, position, TRUE);
}

void scrollClientArea(HWND window, int dx, int dy) noexcept {
  ScrollWindowEx(window, dx, dy, nullptr, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  return SendMessageW(window, message, wParam, lParam);
}

void postMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  PostMessageW(window, message, wParam, lParam);
}

UINT registeredMessage(const wchar_t* name) noexcept { return RegisterWindowMessageW(name); }

}  // namespace pumpcalc::platform
