#include "platform/win32/window.h"

#include <vector>

#include "core/errors.h"
#include "core/float_unit.h"
#include "platform/win32/os_error.h"
#include "platform/win32/text_encoding.h"

namespace pumpcalc::platform {
namespace {

HWND createWindowFor(const WindowParams& params, void* object) {
  const std::wstring caption = toUtf16(params.caption);
  HWND window;
  {
    FloatUnitBracket bracket;
    window = CreateWindowExW(params.exStyle, params.className, caption.c_str(), params.style,
                             params.left, params.top, params.width, params.height, params.parent,
                             reinterpret_cast<HMENU>(params.controlId), GetModuleHandleW(nullptr),
                             object);
  }
  if (window == nullptr) raiseLastOSError();
  return window;
}

}  // namespace

HWND createWindow(const WindowParams& params) { return createWindowFor(params, nullptr); }

void WindowObject::registerClass(const wchar_t* className, UINT style, HICON icon, HCURSOR cursor,
                                 HBRUSH background) {
  WNDCLASSW existing{};
  if (GetClassInfoW(GetModuleHandleW(nullptr), className, &existing)) return;
  WNDCLASSW windowClass{};
  windowClass.style = style;
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
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

void cancelMouseCapture(bool release) noexcept {
  if (HWND capture = GetCapture()) {
    SendMessageW(capture, WM_CANCELMODE, 0, 0);
    if (release) ReleaseCapture();
  }
}

}  // namespace pumpcalc::platform
