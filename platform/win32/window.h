// Windows: creating them, the object each belongs to, their state, and their messages.
// UTF-8 above, UTF-16 at the call. Every creation call is checked and raises EOSError with
// the system's reason; windows are owned by UniqueWindow.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {

struct WindowParams {
  const wchar_t* className = nullptr;
  std::string_view caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  int left = 0, top = 0, width = 0, height = 0;
  HWND parent = nullptr;  // the owner, for a top-level window
  UINT_PTR controlId = 0;
};

// CreateWindowExW with the float-unit bracket around it; raises EOSError on failure.
HWND createWindow(const WindowParams& params);

// An object that owns a window of one of the program's classes and receives its messages:
// the classes' window procedure finds the object from the window's creation on
// (WM_NCCREATE) and hands it every message until the window is gone (WM_NCDESTROY). No
// error crosses the system's callback: one that escapes handleMessage goes to
// reportMessageError and the message's answer is 0.
class WindowObject {
 public:
  WindowObject() = default;
  virtual ~WindowObject() = default;
  WindowObject(const WindowObject&) = delete;
  WindowObject& operator=(const WindowObject&) = delete;

  HWND handle() const noexcept { return window_.get(); }
  // The object whose window this is; null for a window of any other kind.
  static WindowObject* fromHandle(HWND window) noexcept;

 protected:
  // Registers the class unless it is registered, with the shared window procedure; raises
  // "Error creating window class" on failure.
  static void registerClass(const wchar_t* className, UINT style = 0, HICON icon = nullptr,
                            HCURSOR cursor = nullptr, HBRUSH background = nullptr);
  // Creates the window, owned by this object (the class must be registered).
  void createOwnWindow(const WindowParams& params);
  // Destroys the window now.
  void destroyOwnWindow() noexcept { window_.reset(); }

  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Reports an error that escaped handleMessage; called inside the catch block.
  virtual void reportMessageError() noexcept = 0;
  // The system's default processing of a message of this window.
  LRESULT defaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

 private:
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  UniqueWindow window_;
};

// Window state. None of these activates the window unless its name says so.
bool isWindow(HWND window) noexcept;
bool isVisible(HWND window) noexcept;
bool isEnabled(HWND window) noexcept;
bool isMinimized(HWND window) noexcept;
// The top-level window that holds a window (itself, for a top-level window).
HWND rootWindow(HWND window) noexcept;
// ShowWindow with a show command (SW_...).
void showWindow(HWND window, int showCommand) noexcept;
// Shows or hides a window without activating it or changing its place.
void setVisibleQuietly(HWND window, bool visible) noexcept;
// Shows or hides the windows that a window owns.
void showOwnedWindows(HWND owner, bool show) noexcept;
// Moves a window's top-left corner without changing its size or stacking order; `redraw`
// false also leaves it unpainted.
void moveWindow(HWND window, int left, int top, bool redraw = true) noexcept;
// Sets a window's outer bounds without changing its stacking order; `show` also shows it.
void setWindowBounds(HWND window, const RECT& bounds, bool show = false) noexcept;
// Puts a window at the top of the stacking order.
void bringToFront(HWND window) noexcept;
// The outer bounds on the screen, and the size of the client area.
RECT windowBounds(HWND window) noexcept;
SIZE clientSize(HWND window) noexcept;
// The outer size of a window with the style whose client area has the given size.
SIZE outerSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) noexcept;
// Removes commands (SC_MAXIMIZE, SC_SIZE ...) from a window's own system menu.
void removeSystemMenuCommands(HWND window, std::initializer_list<UINT> commands);
// The window's big icon and its class's icon.
void setWindowIcon(HWND window, HICON icon) noexcept;
void setWindowFont(HWND window, HFONT font) noexcept;

std::string windowText(HWND window);
void setWindowText(HWND window, std::string_view text);

// Activation, keyboard focus and mouse capture, on the calling thread.
HWND activeWindow() noexcept;
void activateWindow(HWND window) noexcept;
HWND focusedWindow() noexcept;
void focusWindow(HWND window) noexcept;
// Ends a mouse capture: the holder is sent WM_CANCELMODE; with `release` the capture is
// also released.
void cancelMouseCapture(bool release) noexcept;

// Scroll bars (SB_HORZ, SB_VERT).
struct ScrollBarState {
  int maximum = 0;
  UINT page = 0;
  int position = 0;
};
ScrollBarState scrollBar(HWND window, int bar) noexcept;
void setScrollBar(HWND window, int bar, const ScrollBarState& state) noexcept;
void setScrollPosition(HWND window, int bar, int position) noexcept;
// Scrolls the client area and the child windows by a distance, repainting what is uncovered.
void scrollClientArea(HWND window, int dx, int dy) noexcept;

// Messages.
// The command of a WM_SYSCOMMAND (SC_MINIMIZE ...), without the bits the system uses itself.
constexpr UINT systemCommand(WPARAM wParam) noexcept { return static_cast<UINT>(wParam & 0xFFF0); }
LRESULT sendMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) noexcept;
void postMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) noexcept;
// A message number of the system's own, shared between programs by its name.
UINT registeredMessage(const wchar_t* name) noexcept;

}  // namespace pumpcalc::platform
