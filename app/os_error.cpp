#include "app/os_error.h"

namespace pumpcalc {

std::string osErrorMessage(std::uint32_t errorNumber, std::string systemText) {
  if (errorNumber == 0) return loadResString(sUnknownOSError);
  while (!systemText.empty() &&
         (static_cast<unsigned char>(systemText.back()) < 0x21 || systemText.back() == '.')) {
    systemText.pop_back();
  }
  return formatText(loadResString(sOSError), {errorNumber, systemText});
}

}  // namespace pumpcalc
