#include <algorithm>
#include <iterator>
#include <string_view>

#include "app/string_table.h"

namespace pumpcalc {
namespace {

struct Entry {
  int id;
  std::string_view text;
};

// The texts of app/strings.rc, sorted by number.
constexpr Entry stringTable[] = {
    {65344, "Yes to &All"},
    {65362, "Warning"},
    {65363, "Error"},
    {65364, "Information"},
    {65365, "Confirm"},
    {65366, "&Yes"},
    {65367, "&No"},
    {65368, "OK"},
    {65369, "Cancel"},
    {65370, "&Help"},
    {65371, "&Abort"},
    {65372, "&Retry"},
    {65373, "&Ignore"},
    {65374, "&All"},
    {65375, "N&o to All"},
    {65379, "OK"},
    {65380, "Cancel"},
    {65381, "&Yes"},
    {65382, "&No"},
    {65383, "&Help"},
    {65384, "&Close"},
    {65385, "&Ignore"},
    {65386, "&Retry"},
    {65387, "Abort"},
    {65388, "&All"},
    {65472, "Exception in safecall method"},
    {65474, "Abstract Error"},
    {65475, "Access violation at address %p in module '%s'. %s of address %p"},
    {65476, "System Error.  Code: %d.\r\n%s"},
    {65477, "A call to an OS function failed"},
    {65488, "Error creating variant or safe array"},
    {65489, "Variant or safe array index out of bounds"},
    {65491, "Invalid variant type conversion"},
    {65492, "Invalid variant operation"},
    {65497, "Invalid argument"},
    {65501, "External exception %x"},
    {65502, "Assertion failed"},
    {65503, "Interface not supported"},
    {65504, "Floating point overflow"},
    {65505, "Floating point underflow"},
    {65506, "Invalid pointer operation"},
    {65507, "Invalid class typecast"},
    {65508, "Access violation at address %p. %s of address %p"},
    {65509, "Access violation"},
    {65510, "Stack overflow"},
    {65511, "Control-C hit"},
    {65512, "Privileged instruction"},
    {65513, "Exception %s in module %s at %p.\r\n%s%s\r\n"},
    {65514, "Application Error"},
    {65517, "Variant method calls not supported"},
    {65518, "Read"},
    {65519, "Write"},
    {65521, "'%s' is not a valid floating point value"},
    {65522, "Out of memory"},
    {65531, "Division by zero"},
    {65532, "Range check error"},
    {65533, "Integer overflow"},
    {65534, "Invalid floating point operation"},
    {65535, "Floating point division by zero"},
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
