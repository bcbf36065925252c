// Texts of the errors that report a failed system call or end the program.
#pragma once

#include <cstdint>
#include <string>

namespace pumpcalc {

// "System Error.  Code: <number>.\r\n<the system's text>", or "A call to an OS function
// failed" for the number 0; the system's text without trailing blanks, line breaks and
// full stops.
std::string osErrorMessage(std::uint32_t errorNumber, std::string systemText);

// "Runtime error 217 at 12345678": the number right-aligned in three places, the address
// in uppercase hexadecimal of at least eight digits. Longer values widen the text rather
// than overwrite its words.
std::string runtimeErrorText(int number, std::uintptr_t address);

}  // namespace pumpcalc
