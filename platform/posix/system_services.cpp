// Without Windows resources the string table is the list compiled in; modules are found
// through the dynamic loader, and the runtime-error report is the core's on standard error.
#include "platform/system_services.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "platform/module_lookup.h"

namespace pumpcalc::platform {
namespace {

struct Entry {
  int id;
  std::string_view text;
};

constexpr Entry stringTable[] = {
#define PUMPCALC_STRING(name, number, text) {number, text},
#include "core/strings.def"
#undef PUMPCALC_STRING
};
static_assert(std::is_sorted(std::begin(stringTable), std::end(stringTable),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; }),
              "the string table is listed by number");

std::string compiledString(int id) {
  auto found = std::lower_bound(std::begin(stringTable), std::end(stringTable), id,
                                [](const Entry& e, int key) { return e.id < key; });
  if (found == std::end(stringTable) || found->id != id) return {};
  return std::string(found->text);
}

}  // namespace

void installSystemServices() noexcept {
  SystemServices services = systemServices();
  services.loadString = compiledString;
  services.findModuleAt = findModuleAt;
  pumpcalc::installSystemServices(services);
}

}  // namespace pumpcalc::platform
