// The start of a console program. platform/ defines the system's own entry point (wmain on
// Windows, main elsewhere), prepares the process and calls consoleMain, which the program defines.
#pragma once

#include <string_view>
#include <vector>

#include "platform/streams.h"

namespace pumpcalc::platform {

// Called once with the arguments after the program's name, as UTF-8, and the standard
// streams, which the program reads and writes through `streams` alone. They pass bytes
// unchanged (no CR is added before LF), so every build prints the same bytes, except where
// one is a Windows console, which shows the characters of UTF-8 text; LC_NUMERIC is the
// user's, for the locale's decimal separator.
int consoleMain(const std::vector<std::string_view>& arguments, StandardStreams& streams);

// What the entry point runs: the system services plugged in, the float unit reset, the
// last-resort handler and the error hooks installed, then consoleMain. A console program never
// opens a window: a runtime error writes "Runtime error 217 at 12345678" on standard error and
// ends the program with its number, and an error that escapes consoleMain (a processor or
// operating-system exception included) writes the last-resort text there and ends it with 1.
int runConsoleProgram(const std::vector<std::string_view>& arguments);

}  // namespace pumpcalc::platform
