// The operating system's codes for the processor and system exceptions that the error
// mapping knows (Windows' STATUS_... values; the software float unit reports its faults
// under the same codes).
#pragma once

#include <cstdint>

namespace pumpcalc {

enum OsExceptionCode : std::uint32_t {
  codeAccessViolation = 0xC0000005,
  codeArrayBoundsExceeded = 0xC000008C,
  codeFloatDenormalOperand = 0xC000008D,
  codeFloatDivideByZero = 0xC000008E,
  codeFloatInexactResult = 0xC000008F,
  codeFloatInvalidOperation = 0xC0000090,
  codeFloatOverflow = 0xC0000091,
  codeFloatStackCheck = 0xC0000092,
  codeFloatUnderflow = 0xC0000093,
  codeIntegerDivideByZero = 0xC0000094,
  codeIntegerOverflow = 0xC0000095,
  codePrivilegedInstruction = 0xC0000096,
  codeStackOverflow = 0xC00000FD,
  codeControlC = 0xC000013A,
};

}  // namespace pumpcalc
