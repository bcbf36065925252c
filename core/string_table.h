// The program's user-visible texts, read by number.
#pragma once

#include <string>

namespace pumpcalc {

// Numbers of the texts in the program's string table.
enum StringId : int {
  sFloatingPointOverflow = 65504,
  sFloatingPointUnderflow = 65505,
  sInvalidFloatingPointValue = 65521,
  sInvalidFloatingPointOperation = 65534,
  sFloatingPointDivisionByZero = 65535,
};

// The text with the given number; empty when the table has none.
std::string loadResString(int id);

}  // namespace pumpcalc
