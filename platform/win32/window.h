// Windows: creating them and the object each belongs to, and their texts. What this adds to
// the Windows API: UTF-8 above and UTF-16 at the call, the float-unit bracket around every
// creation, a checked creation that raises EOSError with the system's reason, and windows
// owned by UniqueWindow. Everything else about a window is the Windows API itself.
#pragma once

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

// A window's text, UTF-8.
std::string windowText(HWND window);
void setWindowText(HWND window, std::string_view text);

// Ends a mouse capture: the holder is sent WM_CANCELMODE; with `release` the capture is
// also released.
void cancelMouseCapture(bool release) noexcept;

// The command of a WM_SYSCOMMAND (SC_MINIMIZE ...), without the bits the system uses itself.
constexpr UINT systemCommand(WPARAM wParam) noexcept { return static_cast<UINT>(wParam & 0xFFF0); }

}  // namespace pumpcalc::platform
