// The handler of processor and operating-system exceptions that escape everything.
#pragma once

namespace pumpcalc::platform {

// Installs the process's unhandled-exception filter: it resets the float unit, maps the
// exception with mapOsException and hands it to the unhandled-error hook (or, before the
// hooks exist, ends the program with the code's runtime-error number). It also reserves
// stack for itself, so that a stack overflow can be reported too.
void installLastResortHandler();

}  // namespace pumpcalc::platform
