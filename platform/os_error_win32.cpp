// The system's text for an error number, from its message table.
#include <windows.h>

#include "app/os_error.h"
#include "platform/text_encoding.h"

namespace pumpcalc {
namespace {

std::string systemMessageText(DWORD errorNumber) {
  wchar_t text[256];
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
      nullptr, errorNumber, 0, text, 256, nullptr);
  return platform::toUtf8(std::wstring_view(text, length));
}

}  // namespace

EOSError makeOSError(std::uint32_t errorNumber) {
  EOSError error(
      osErrorMessage(errorNumber, errorNumber != 0 ? systemMessageText(errorNumber) : ""));
  error.osErrorNumber = errorNumber;
  return error;
}

void raiseLastOSError() { throw makeOSError(GetLastError()); }

}  // namespace pumpcalc
