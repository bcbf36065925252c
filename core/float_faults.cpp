#include "core/float_faults.h"

#include "core/error_mapping.h"

namespace pumpcalc {

std::uint16_t FloatControlWord = initialFloatControlWord;

// Never inlined, link-time optimisation included (see float_unit.h).
[[gnu::noinline]] FloatUnitState& floatUnit() noexcept { return currentFloatUnit; }

OsExceptionCode floatFaultCode(std::uint8_t flags) noexcept {
  if (flags & flagInvalid) return codeFloatInvalidOperation;
  if (flags & flagDenormal) return codeFloatDenormalOperand;
  if (flags & flagZeroDivide) return codeFloatDivideByZero;
  if (flags & flagOverflow) return codeFloatOverflow;
  if (flags & flagUnderflow) return codeFloatUnderflow;
  return codeFloatInexactResult;
}

// Never inlined: the return address is where the faulting operation's check is, and the
// cold path stays out of the callers that inline everything else.
[[gnu::noinline]] void raiseFloatFault(OsExceptionCode code) {
  resetFloatUnit();
  OsExceptionRecord record;
  record.code = code;
  record.address = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
  raiseOsException(record);
}

}  // namespace pumpcalc
