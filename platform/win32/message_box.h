// The system's message box.
#pragma once

#include <string_view>

#include "platform/shortenable_text.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {

// A system message box (MessageBoxW) with UTF-8 texts and MB_... flags: the button chosen
// (IDOK ...), or 0 when the box could not be shown.
int messageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags);

// The same box, kept wholly within the work area of its monitor: it shows the whole text
// when its box fits there, and otherwise the least shortened text whose box fits. The texts
// are measured as the box sets them (DrawTextW, the message font); what the box adds around
// its text and where it wraps it are learnt once, from a box that the system lays out and
// ends unseen. Only the box that is answered ever shows.
int messageBoxWithin(HWND owner, const ShortenableText& text, std::string_view caption, UINT flags);

// Makes a runtime error end the program with the runtime-error box ("Runtime error 217 at
// 12345678", caption "Error", an OK button, no icon, no owner) and its number as exit code,
// where a console program writes the text on standard error: the window program's way, since
// nobody reads its standard error. After platform::installSystemServices.
void reportRuntimeErrorsInBox() noexcept;

}  // namespace pumpcalc::platform
