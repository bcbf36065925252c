// The system's text for an error number, from its message table.
#include "platform/win32/os_error.h"

#include "core/error_texts.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {
namespace {

std::string systemMessageText(DWORD errorNumber) {
  wchar_t text[256];
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      nullptr, errorNumber, 0, text, 256, nullptr);
  return toUtf8(std::wstring_view(text, length));
}

}  // namespace

std::string systemErrorText(std::uint32_t errorNumber) {
  std::string text = systemMessageText(errorNumber);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text.empty() ? "error " + std::to_string(errorNumber) : text;
}

EOSError makeOSError(std::uint32_t errorNumber) {
  EOSError error(
      osErrorMessage(errorNumber, errorNumber != 0 ? systemMessageText(errorNumber) : ""));
  error.osErrorNumber = errorNumber;
  return error;
}

void raiseLastOSError() { throw makeOSError(GetLastError()); }

}  // namespace pumpcalc::platform
