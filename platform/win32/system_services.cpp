// What the core needs from Windows: the program's string-table resource and the module
// lookup. Only the kernel's functions, so that a console program loads no window system.
#include "platform/system_services.h"

#include "platform/module_lookup.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {
namespace {

// The string table is stored in blocks of sixteen numbers: block id / 16 + 1 holds, for each
// of its numbers in turn, a length in UTF-16 units followed by that many units (0 for a
// number without a text). LoadStringW reads the same blocks, but from user32.dll.
std::string programStringResource(int id) {
  if (id < 0 || id > 0xFFFF) return {};
  const HMODULE program = GetModuleHandleW(nullptr);
  const HRSRC block = FindResourceW(program, MAKEINTRESOURCEW(id / 16 + 1), RT_STRING);
  if (block == nullptr) return {};
  // A resource stays mapped with the program: nothing to release.
  const auto* units = static_cast<const wchar_t*>(LockResource(LoadResource(program, block)));
  if (units == nullptr) return {};
  const std::size_t size = SizeofResource(program, block) / sizeof(wchar_t);
  std::size_t at = 0;
  for (int skipped = 0; skipped < id % 16 && at < size; ++skipped) at += 1 + units[at];
  if (at >= size || units[at] > size - at - 1) return {};
  return toUtf8(std::wstring_view(units + at + 1, units[at]));
}

}  // namespace

void installSystemServices() noexcept {
  SystemServices services = systemServices();
  services.loadString = programStringResource;
  services.findModuleAt = findModuleAt;
  pumpcalc::installSystemServices(services);
}

}  // namespace pumpcalc::platform
