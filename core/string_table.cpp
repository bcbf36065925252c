#include "core/string_table.h"

#include <algorithm>
#include <iterator>

#include "core/system_services.h"

namespace pumpcalc {
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

}  // namespace

std::string_view builtinString(int id) noexcept {
  auto found = std::lower_bound(std::begin(stringTable), std::end(stringTable), id,
                                [](const Entry& e, int key) { return e.id < key; });
  if (found == std::end(stringTable) || found->id != id) return {};
  return found->text;
}

std::string loadResString(int id) { return systemServices().loadString(id); }

}  // namespace pumpcalc
