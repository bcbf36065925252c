#include "core/system_services.h"

#include <cstdio>
#include <cstdlib>

#include "core/error_texts.h"
#include "core/string_table.h"

namespace pumpcalc {
namespace {

std::string noText(int) { return {}; }

std::optional<ModuleAtAddress> noModule(std::uintptr_t) { return std::nullopt; }

void reportOnStandardError(int number, std::uintptr_t address) {
  std::fprintf(stderr, "%s\n", runtimeErrorText(number, address).c_str());
  std::exit(number);
}

// Process-wide, written once at start-up before any other thread exists.
SystemServices services{noText, noModule, reportOnStandardError};

}  // namespace

const SystemServices& systemServices() noexcept { return services; }

void installSystemServices(const SystemServices& replacement) noexcept { services = replacement; }

std::string loadResString(int id) { return services.loadString(id); }

std::string fileNameWithoutDirectory(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace pumpcalc
