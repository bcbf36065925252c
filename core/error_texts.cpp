#include "core/error_texts.h"

#include "core/format_text.h"
#include "core/string_table.h"

namespace pumpcalc {

std::string osErrorMessage(std::uint32_t errorNumber, std::string systemText) {
  if (errorNumber == 0) return loadResString(sUnknownOSError);
  while (!systemText.empty() &&
         (static_cast<unsigned char>(systemText.back()) < 0x21 || systemText.back() == '.')) {
    systemText.pop_back();
  }
  return formatText(loadResString(sOSError), {errorNumber, systemText});
}

std::string runtimeErrorText(int number, std::uintptr_t address) {
  std::string digits = formatText("%d", {number});
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), ' ');
  return "Runtime error " + digits + " at " + formatText("%p", {FormatArg::address(address)});
}

}  // namespace pumpcalc
