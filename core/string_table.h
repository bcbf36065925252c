// The program's user-visible texts, read by number from its string table: on Windows the
// string-table resource of the running program, elsewhere the same texts compiled in.
#pragma once

#include <string>
#include <string_view>

namespace pumpcalc {

// Numbers of the texts in the string table.
enum StringId : int {
#define PUMPCALC_STRING(name, number, text) name = number,
#include "core/strings.def"
#undef PUMPCALC_STRING
};

// The text with the given number; empty when the table has none. Reads through the string
// source of the system services (system_services.h).
std::string loadResString(int id);

// The text compiled into the program, from the same list as the resource; empty when the
// list has none.
std::string_view builtinString(int id) noexcept;

}  // namespace pumpcalc
