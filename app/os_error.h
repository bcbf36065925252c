// Errors of failed operating-system calls.
#pragma once

#include <cstdint>
#include <string>

#include "app/errors.h"

namespace pumpcalc {

// "System Error.  Code: <number>.\r\n<the system's text>", or "A call to an OS function
// failed" for the number 0; the system's text without trailing blanks, line breaks and
// full stops.
std::string osErrorMessage(std::uint32_t errorNumber, std::string systemText);

// The EOSError for an error number, with the system's text for it.
EOSError makeOSError(std::uint32_t errorNumber);

// Raises the EOSError for the calling thread's last error number.
[[noreturn]] void raiseLastOSError();

}  // namespace pumpcalc
