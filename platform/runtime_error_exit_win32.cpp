// The runtime-error box: caption "Error", an OK button, no icon, no owner.
#include <windows.h>

#include <cstdlib>

#include "app/error_mapping.h"
#include "app/runtime_error_exit.h"
#include "platform/text_encoding.h"

namespace pumpcalc {

void runtimeErrorExit(int number, std::uintptr_t address) {
  const std::wstring text = platform::toUtf16(runtimeErrorText(number, address));
  MessageBoxW(nullptr, text.c_str(), L"Error", 0);
  std::exit(number);
}

}  // namespace pumpcalc
