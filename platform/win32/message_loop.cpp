#include "platform/win32/message_loop.h"

namespace pumpcalc::platform {

bool takeMessage(MSG& message) noexcept {
  return PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE;
}

void dispatchMessage(const MSG& message) noexcept {
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool handleAsDialogKey(HWND dialog, MSG& message) noexcept {
  return IsDialogMessageW(dialog, &message) != FALSE;
}

void waitForMessage() noexcept { WaitMessage(); }

void postQuitMessage(int exitCode) noexcept { PostQuitMessage(exitCode); }

bool isKeyboardMessage(UINT message) noexcept {
  return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

bool keyHeld(int key) noexcept { return GetKeyState(key) < 0; }

void beep() noexcept { MessageBeep(MB_OK); }

}  // namespace pumpcalc::platform
