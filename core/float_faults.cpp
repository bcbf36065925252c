#include "core/float_faults.h"

#include "core/errors.h"
#include "core/string_table.h"

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
  switch (code) {
    case faultDivideByZero:
      throw EZeroDivide(loadResString(sFloatingPointDivisionByZero));
    case faultOverflow:
      throw EOverflow(loadResString(sFloatingPointOverflow));
    case faultUnderflow:
    case faultDenormalOperand:
      throw EUnderflow(loadResString(sFloatingPointUnderflow));
    case faultInvalidOperation:
    case faultStackCheck:
    case faultInexactResult:
      break;
  }
  throw EInvalidOp(loadResString(sInvalidFloatingPointOperation));
}

}  // namespace pumpcalc
