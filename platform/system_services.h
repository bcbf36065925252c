// The operating system's side of the core's system services.
#pragma once

namespace pumpcalc::platform {

// Plugs this platform's string table, module lookup and runtime-error exit into the core
// (pumpcalc::installSystemServices). The first step of every program.
void installSystemServices() noexcept;

}  // namespace pumpcalc::platform
