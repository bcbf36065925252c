// The thin Win32 layer: the window-system operations that the shell and the windows use,
// UTF-8 above, UTF-16 at the call. Every creation call is checked and raises EOSError with
// the system's reason; handles that need releasing are owned by RAII types.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace pumpcalc::platform {

// Owns a window and destroys it with its owner object.
class UniqueWindow {
 public:
  UniqueWindow() = default;
  explicit UniqueWindow(HWND window) noexcept : window_(window) {}
  UniqueWindow(UniqueWindow&& other) noexcept : window_(std::exchange(other.window_, nullptr)) {}
  UniqueWindow& operator=(UniqueWindow&& other) noexcept {
    if (this != &other) reset(std::exchange(other.window_, nullptr));
    return *this;
  }
  ~UniqueWindow() { reset(); }

  HWND get() const noexcept { return window_; }
  HWND release() noexcept { return std::exchange(window_, nullptr); }
  void reset(HWND window = nullptr) noexcept {
    if (window_ != nullptr && window_ != window && IsWindow(window_)) DestroyWindow(window_);
    window_ = window;
  }

 private:
  HWND window_ = nullptr;
};

// Owns a GDI object (font, brush).
class UniqueGdiObject {
 public:
  UniqueGdiObject() = default;
  explicit UniqueGdiObject(HGDIOBJ object) noexcept : object_(object) {}
  UniqueGdiObject(UniqueGdiObject&& other) noexcept
      : object_(std::exchange(other.object_, nullptr)) {}
  UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept {
    if (this != &other) {
      if (object_ != nullptr) DeleteObject(object_);
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }
  ~UniqueGdiObject() {
    if (object_ != nullptr) DeleteObject(object_);
  }
  HGDIOBJ get() const noexcept { return object_; }

 private:
  HGDIOBJ object_ = nullptr;
};

// The screen's device context for measuring, released with the scope.
class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {}
  ~ScreenDC() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  HDC get() const noexcept { return dc_; }

 private:
  HDC dc_;
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

struct WindowParams {
  const wchar_t* className = nullptr;
  std::string_view caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  int left = 0, top = 0, width = 0, height = 0;
  HWND parent = nullptr;  // the owner, for a top-level window
  UINT_PTR controlId = 0;
  void* createParameter = nullptr;
};

// The object a window belongs to, for its window procedure: on WM_NCCREATE the window
// stores the creation parameter (WindowParams::createParameter); every later message
// finds it again, until WM_NCDESTROY, after which the window forgets it. Null before
// WM_NCCREATE.
template <class Object>
Object* windowObject(HWND window, UINT message, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    void* object = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    return static_cast<Object*>(object);
  }
  auto* object = reinterpret_cast<Object*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  return object;
}

// CreateWindowExW with the float-unit bracket around it; raises EOSError on failure.
HWND createWindow(const WindowParams& params);

// Registers a window class unless it is registered; raises "Error creating window class".
void registerWindowClass(const wchar_t* className, WNDPROC procedure, UINT style = 0,
                         HICON icon = nullptr, HCURSOR cursor = nullptr,
                         HBRUSH background = nullptr);

std::string windowText(HWND window);
void setWindowText(HWND window, std::string_view text);

// A system message box (MessageBoxW) with UTF-8 texts: the button chosen (IDOK ...), or 0
// when the box could not be shown.
int messageBox(HWND owner, std::string_view text, std::string_view caption, unsigned flags);

// Removes commands (SC_MAXIMIZE, SC_SIZE ...) from a window's own system menu.
void removeSystemMenuCommands(HWND window, std::initializer_list<UINT> commands);

// The program's module handle.
HINSTANCE programInstance() noexcept;

// The show command that the launcher asked for, or SW_SHOWDEFAULT.
int startupShowCommand() noexcept;

// The screen: the primary display's size and its vertical pixels per inch.
int screenWidth() noexcept;
int screenHeight() noexcept;
int screenPixelsPerInch() noexcept;
// The full bounds of the monitor nearest to a window.
RECT monitorBoundsOf(HWND window) noexcept;
HMONITOR monitorOf(HWND window) noexcept;

// A font by logical height and face name (the default character set); raises on failure.
UniqueGdiObject createFont(int height, std::string_view faceName);
// The height in pixels of the text "0" in a font on the screen.
int measureTextHeight(HFONT font);
// The extent of a one-line text in a font on the screen.
SIZE measureText(HFONT font, std::string_view text);
// Draws a text in a font and a system colour (COLOR_...) over the background, with
// DrawTextW's format flags; the device context is left as it was.
void drawText(HDC dc, HFONT font, std::string_view text, RECT place, UINT format, int systemColour);

}  // namespace pumpcalc::platform
