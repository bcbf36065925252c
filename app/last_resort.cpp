#include "app/last_resort.h"

#include <cstdlib>

#include "app/box_text.h"
#include "platform/last_resort_text.h"

namespace pumpcalc {

platform::ShortenableText fallbackBoxText(const Exception* error, const char* className,
                                          std::uintptr_t address) {
  return shortenableMessage(error,
                            [className = std::string(className),
                             place = platform::codePlaceOf(address)](const std::string& message) {
                              return platform::fallbackText(className.c_str(), place, message);
                            });
}

void reportUnhandledError(const Exception* error, const char* className, std::uintptr_t address) {
  platform::showLastResortText(fallbackBoxText(error, className, address));
  std::exit(1);
}

}  // namespace pumpcalc
