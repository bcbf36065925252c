#include "app/runtime_error_exit.h"

#include "app/format_text.h"

namespace pumpcalc {

std::string runtimeErrorText(int number, std::uintptr_t address) {
  std::string digits = formatText("%d", {number});
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), ' ');
  return "Runtime error " + digits + " at " + formatText("%p", {FormatArg::address(address)});
}

}  // namespace pumpcalc
