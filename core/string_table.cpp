#include "core/string_table.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace pumpcalc {
namespace {

struct Entry {
  int id;
  std::string_view text;
};

// Sorted by number.
constexpr Entry stringTable[] = {
    {sFloatingPointOverflow, "Floating point overflow"},
    {sFloatingPointUnderflow, "Floating point underflow"},
    {sInvalidFloatingPointValue, "'%s' is not a valid floating point value"},
    {sInvalidFloatingPointOperation, "Invalid floating point operation"},
    {sFloatingPointDivisionByZero, "Floating point division by zero"},
};
static_assert(std::is_sorted(std::begin(stringTable), std::end(stringTable),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; }));

}  // namespace

std::string loadResString(int id) {
  auto found = std::lower_bound(std::begin(stringTable), std::end(stringTable), id,
                                [](const Entry& e, int key) { return e.id < key; });
  if (found == std::end(stringTable) || found->id != id) return {};
  return std::string(found->text);
}

}  // namespace pumpcalc
