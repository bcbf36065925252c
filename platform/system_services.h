// The operating system's side of the core's system services.
#pragma once

namespace pumpcalc::platform {

// Plugs this platform's string table and module lookup into the core
// (pumpcalc::installSystemServices). A runtime error still ends the program with its report
// on standard error, as a console program reports it (the window program shows a box
// instead: reportRuntimeErrorsInBox, platform/win32/message_box.h). The first step of every
// program.
void installSystemServices() noexcept;

}  // namespace pumpcalc::platform
