// Module lookup: the memory region's allocation base is the module's handle.
#include "platform/module_lookup.h"

#include "platform/win32/text_encoding.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {

std::optional<ModuleAtAddress> findModuleAt(std::uintptr_t address) {
  MEMORY_BASIC_INFORMATION region{};
  if (VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof region) == 0 ||
      region.State != MEM_COMMIT || region.AllocationBase == nullptr) {
    return std::nullopt;
  }
  wchar_t name[MAX_PATH + 1];
  const DWORD length =
      GetModuleFileNameW(static_cast<HMODULE>(region.AllocationBase), name, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return std::nullopt;
  return ModuleAtAddress{toUtf8(std::wstring_view(name, length)),
                         reinterpret_cast<std::uintptr_t>(region.AllocationBase)};
}

std::string programFileName() {
  wchar_t name[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH + 1);
  return length == 0 || length > MAX_PATH ? std::string() : toUtf8(std::wstring_view(name, length));
}

}  // namespace pumpcalc::platform
