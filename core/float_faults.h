// Turns the float unit's unmasked exception flags into error objects. The arithmetic runs
// with the flags only; code that computes under FloatControlWord calls checkFloatFaults
// after each operation, where the hardware would have trapped at its next instruction.
#pragma once

#include <cstdint>

#include "core/float_unit.h"
#include "core/os_exception_codes.h"

namespace pumpcalc {

// The exception code that the faults in `flags` are reported under; the highest-priority
// fault wins: invalid, denormal, zero-divide, overflow, underflow, precision.
OsExceptionCode floatFaultCode(std::uint8_t flags) noexcept;

// Empties the float unit (resetFloatUnit), then raises the error object that the
// operating system's exception with this code maps to.
[[noreturn]] void raiseFloatFault(OsExceptionCode code);

// Raises the error for the pending unmasked faults, if any; the unit is clean when it raises.
// `unit` is this thread's (floatUnit()).
inline void checkFloatFaults(const FloatUnitState& unit) {
  if (std::uint8_t faults = pendingFloatFaults(unit)) raiseFloatFault(floatFaultCode(faults));
}

}  // namespace pumpcalc
