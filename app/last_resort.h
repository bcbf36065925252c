// The last resort: what happens to an error that escapes every error net.
#pragma once

#include <cstdint>
#include <string>

#include "core/errors.h"
#include "platform/shortenable_text.h"

namespace pumpcalc {

// "Exception <class> in module <module> at <offset>.\r\n<message><period>\r\n", at most
// 1023 bytes, never inside a character. The module is the one whose image holds `address` (the
// offset counted from its start), else the program's own file (the offset counted from its code
// section, 0x1000 in). The message part is empty for a raised value outside the Exception family;
// the period is added to a non-empty message that does not end in ".".
std::string formatFallbackText(const Exception* error, const char* className,
                               std::uintptr_t address);
// The same text as a box shows it: where the whole does not fit, the error's echoed input
// (or its message) is cut in the middle (box_text.h).
platform::ShortenableText fallbackBoxText(const Exception* error, const char* className,
                                          std::uintptr_t address);

// The unhandled-error hook: shows the fallback text and ends the program with exit code 1
// through the orderly exit.
[[noreturn]] void reportUnhandledError(const Exception* error, const char* className,
                                       std::uintptr_t address);

// Hands the error being handled in the calling catch block to the unhandled-error hook, or,
// when no hook is installed, ends the program with runtime error 217.
[[noreturn]] void handleEscapedError();

// The readable name of the type of the exception being handled (in a catch block).
std::string currentExceptionTypeName();

}  // namespace pumpcalc
