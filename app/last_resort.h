// The window program's last resort: an error that escapes every error net is shown in a box.
#pragma once

#include <cstdint>

#include "core/errors.h"
#include "platform/last_resort.h"
#include "platform/shortenable_text.h"

namespace pumpcalc {

// The fallback text (platform::formatFallbackText) as a box shows it: where the whole does not
// fit, the error's echoed input (or its message) is cut in the middle (box_text.h).
platform::ShortenableText fallbackBoxText(const Exception* error, const char* className,
                                          std::uintptr_t address);

// The unhandled-error hook: shows the fallback text and ends the program with exit code 1
// through the orderly exit.
[[noreturn]] void reportUnhandledError(const Exception* error, const char* className,
                                       std::uintptr_t address);

}  // namespace pumpcalc
