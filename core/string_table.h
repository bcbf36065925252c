// The program's user-visible texts, read by number from its string table: on Windows the
// string-table resource of the running program, elsewhere the same texts compiled in.
#pragma once

#include <string>

namespace pumpcalc {

// Numbers of the texts in the string table.
enum StringId : int {
#define PUMPCALC_STRING(name, number, text) name = number,
#include "core/strings.def"
#undef PUMPCALC_STRING
};

// The text with the given number; empty when the table has none. Reads the table that the
// platform's system services give (system_services.h): the Windows resource, or the list
// compiled in.
std::string loadResString(int id);

}  // namespace pumpcalc
