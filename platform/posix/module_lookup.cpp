// Module lookup through the dynamic loader.
#include "platform/module_lookup.h"

#include <dlfcn.h>
#include <unistd.h>

namespace pumpcalc::platform {

std::optional<ModuleAtAddress> findModuleAt(std::uintptr_t address) {
  Dl_info info{};
  if (address == 0 || dladdr(reinterpret_cast<void*>(address), &info) == 0 ||
      info.dli_fname == nullptr) {
    return std::nullopt;
  }
  return ModuleAtAddress{info.dli_fname, reinterpret_cast<std::uintptr_t>(info.dli_fbase)};
}

std::string programFileName() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace pumpcalc::platform
