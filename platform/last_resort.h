// The last resort: what becomes of an error that escapes every error net. Its text, the
// handler of processor and operating-system exceptions that nothing else handles, and the
// hook that writes the text on standard error, for console programs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/errors.h"

namespace pumpcalc::platform {

// Where an address lies, as the last-resort text names it: the module whose image holds it
// (the offset counted from its start), else the program's own file (the offset counted from
// its code section, 0x1000 in). The module's file name without its directory, at most 260
// bytes.
struct CodePlace {
  std::string module;
  std::uintptr_t offset = 0;
};
CodePlace codePlaceOf(std::uintptr_t address);

// "Exception <class> in module <module> at <offset>.\r\n<message><period>\r\n", at most 1023
// bytes, never inside a character; the period is added to a non-empty message that does not
// end in ".".
std::string fallbackText(const char* className, const CodePlace& place, std::string_view message);
// The same for a raised value and where it was raised: the message part is empty for a value
// outside the Exception family (`error` null).
std::string formatFallbackText(const Exception* error, const char* className,
                               std::uintptr_t address);

// The readable name of the type of the exception being handled (in a catch block).
std::string currentExceptionTypeName();

// Hands the error being handled in the calling catch block to the unhandled-error hook, or,
// when no hook is installed, ends the program with runtime error 217.
[[noreturn]] void handleEscapedError();

// The unhandled-error hook of a console program: writes the fallback text on standard error
// and ends the program with exit code 1.
[[noreturn]] void reportUnhandledErrorAsText(const Exception* error, const char* className,
                                             std::uintptr_t address);

// Installs the process's handler of the processor and operating-system exceptions that
// nothing else handles. On Windows it resets the float unit, maps the exception with
// mapOsException and hands it to the unhandled-error hook (or, before the hooks exist, ends
// the program with the code's runtime-error number), and reserves stack for itself, so that
// a stack overflow is reported too. Elsewhere such a fault ends the program by its signal,
// as the system ends any program.
void installLastResortHandler();

}  // namespace pumpcalc::platform
