// Which loaded module holds an address.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pumpcalc {

struct ModuleAtAddress {
  std::string fileName;     // the module's full file name (UTF-8)
  std::uintptr_t base = 0;  // where its image starts
};

// The module whose image holds `address`, when the address lies in committed memory of a
// loaded module and its file name can be read.
std::optional<ModuleAtAddress> findModuleAt(std::uintptr_t address);

// The program file's full name (UTF-8).
std::string programFileName();

// `path` without its directory: the part after the last backslash or slash.
std::string fileNameWithoutDirectory(const std::string& path);

}  // namespace pumpcalc
