#include "app/error_reporting.h"

#include "app/application.h"
#include "app/errors.h"
#include "app/last_resort.h"
#include "platform/text_encoding.h"

namespace pumpcalc {

std::string errorBoxText(const std::string& message) {
  if (message.empty()) return message;
  // Only a last byte above "." gets a period; any byte of a multi-byte character does.
  const auto last = static_cast<unsigned char>(message.back());
  return last > '.' ? message + "." : message;
}

void reportError() noexcept {
  try {
    try {
      throw;
    } catch (const Exception& error) {
      HWND owner = Application != nullptr ? Application->applicationWindow() : nullptr;
      const std::string caption = Application != nullptr ? Application->applicationTitle() : "";
      MessageBoxW(owner, platform::toUtf16(errorBoxText(error.message())).c_str(),
                  platform::toUtf16(caption).c_str(), MB_OK | MB_ICONERROR);
    } catch (...) {
      const std::string text = formatFallbackText(nullptr, "unknown", 0);
      MessageBoxW(nullptr, platform::toUtf16(text).c_str(),
                  platform::toUtf16(loadResString(sApplicationErrorCaption)).c_str(),
                  MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
  } catch (...) {
    // Reporting must not fail in turn: nothing more can be done for this error.
  }
}

}  // namespace pumpcalc
