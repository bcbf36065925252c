// The clipboard, as the message dialog's Ctrl+C uses it.
#pragma once

#include <string_view>

namespace pumpcalc::platform {

// Replaces the clipboard's contents with a text (UTF-8), offered as Unicode text, which
// Windows also converts for readers of ANSI text. Raises an Exception ("Cannot open
// clipboard") when another program holds the clipboard, EOSError when memory runs out.
void setClipboardText(std::string_view text);

}  // namespace pumpcalc::platform
