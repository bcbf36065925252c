// The thread's top-level windows, as the modal run and the message boxes need them.
#pragma once

#include <vector>

#include "platform/windows.h"

namespace pumpcalc::platform {

// Disables every visible, enabled top-level window of the calling thread but `except`, and
// returns them, so that they can be enabled again.
std::vector<HWND> disableThreadWindows(HWND except = nullptr);
// Enables again those of the windows that still exist.
void enableWindows(const std::vector<HWND>& windows);
// The first visible, enabled top-level window of the thread in stacking order, other than
// `except`, preferring windows that are not always on top; null if there is none.
HWND firstThreadWindow(HWND except);

}  // namespace pumpcalc::platform
