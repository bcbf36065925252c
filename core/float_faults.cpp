#include "core/float_faults.h"

#include "app/error_mapping.h"

namespace pumpcalc {

std::uint16_t FloatControlWord = initialFloatControlWord;

FloatFaultCode floatFaultCode(std::uint8_t flags) noexcept {
  if (flags & flagInvalid) return faultInvalidOperation;
  if (flags & flagDenormal) return faultDenormalOperand;
  if (flags & flagZeroDivide) return faultDivideByZero;
  if (flags & flagOverflow) return faultOverflow;
  if (flags & flagUnderflow) return faultUnderflow;
  return faultInexactResult;
}

void raiseFloatFault(FloatFaultCode code) {
  resetFloatUnit();
  OsExceptionRecord record;
  record.code = code;
  record.address = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
  raiseOsException(record);
}

}  // namespace pumpcalc
