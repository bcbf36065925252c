// The window program's last-resort box.
#include "platform/last_resort_text.h"

#include "core/string_table.h"
#include "platform/win32/message_box.h"

namespace pumpcalc::platform {

void showLastResortText(const ShortenableText& text) {
  messageBoxWithin(nullptr, text, loadResString(sApplicationErrorCaption),
                   MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace pumpcalc::platform
