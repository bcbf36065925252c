// The few operating-system services that the error family needs. The core makes no call to
// the operating system itself: platform/ plugs its implementations in at start-up
// (platform::installSystemServices), and until then the portable defaults stand in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pumpcalc {

struct ModuleAtAddress {
  std::string fileName;     // the module's full file name (UTF-8)
  std::uintptr_t base = 0;  // where its image starts
};

struct SystemServices {
  // The text with the given number of the program's string table; empty when it has none.
  // Default: no table (every text empty).
  std::string (*loadString)(int id);
  // The loaded module whose image holds an address. Default: none is known.
  std::optional<ModuleAtAddress> (*findModuleAt)(std::uintptr_t address);
  // Ends the program with the runtime-error report ("Runtime error 217 at 12345678") and
  // the number as exit code; must not return. Default: the report on standard error.
  void (*runtimeErrorExit)(int number, std::uintptr_t address);
};

// The services in force: the defaults until installSystemServices replaces them.
const SystemServices& systemServices() noexcept;
// Replaces the services, once, at start-up, before anything else runs.
void installSystemServices(const SystemServices& services) noexcept;

// `path` without its directory: the part after the last backslash or slash.
std::string fileNameWithoutDirectory(const std::string& path);

}  // namespace pumpcalc
