// Errors of failed operating-system calls.
#pragma once

#include <cstdint>
#include <string>

#include "core/errors.h"

namespace pumpcalc::platform {

// The system's text for an error number on one line ("Access is denied.").
std::string systemErrorText(std::uint32_t errorNumber);

// The EOSError for an error number, with the system's text for it (osErrorMessage).
EOSError makeOSError(std::uint32_t errorNumber);

// Raises the EOSError for the calling thread's last error number.
[[noreturn]] void raiseLastOSError();

}  // namespace pumpcalc::platform
