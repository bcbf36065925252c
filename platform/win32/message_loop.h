// The thread's message queue: the primitives of an event loop.
#pragma once

#include "platform/win32/win32.h"

namespace pumpcalc::platform {

// Takes the next waiting message off the queue; false when none waits.
bool takeMessage(MSG& message) noexcept;
// Translates a key message into characters and hands the message to its window.
void dispatchMessage(const MSG& message) noexcept;
// Handles a message as a dialog's keyboard navigation would; true when it did.
bool handleAsDialogKey(HWND dialog, MSG& message) noexcept;
// Blocks until a message arrives.
void waitForMessage() noexcept;
// Posts the quit message with an exit code.
void postQuitMessage(int exitCode) noexcept;

bool isKeyboardMessage(UINT message) noexcept;
// Whether a key (VK_...) is held down, as of the message being handled.
bool keyHeld(int key) noexcept;
// The default beep.
void beep() noexcept;

}  // namespace pumpcalc::platform
