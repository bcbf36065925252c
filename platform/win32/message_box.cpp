#include "platform/win32/message_box.h"

#include "platform/win32/text_encoding.h"

namespace pumpcalc::platform {

int messageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags) {
  return MessageBoxW(owner, toUtf16(text).c_str(), toUtf16(caption).c_str(), flags);
}

}  // namespace pumpcalc::platform
