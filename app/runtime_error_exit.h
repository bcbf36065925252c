// The text of the runtime-error box, shared by every build's runtimeErrorExit.
#pragma once

#include <cstdint>
#include <string>

namespace pumpcalc {

// "Runtime error 217 at 12345678": the number right-aligned in three places, the address
// in uppercase hexadecimal of at least eight digits. Longer values widen the text rather
// than overwrite its words.
std::string runtimeErrorText(int number, std::uintptr_t address);

}  // namespace pumpcalc
