// Which loaded module holds an address, and the program's own file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/system_services.h"

namespace pumpcalc::platform {

// The module whose image holds `address`, when the address lies in committed memory of a
// loaded module and its file name can be read.
std::optional<ModuleAtAddress> findModuleAt(std::uintptr_t address);

// The program file's full name (UTF-8).
std::string programFileName();

}  // namespace pumpcalc::platform
