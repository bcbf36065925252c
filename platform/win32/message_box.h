// The system's message box.
#pragma once

#include <string_view>

#include "platform/win32/win32.h"

namespace pumpcalc::platform {

// A system message box (MessageBoxW) with UTF-8 texts and MB_... flags: the button chosen
// (IDOK ...), or 0 when the box could not be shown.
int messageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags);

}  // namespace pumpcalc::platform
