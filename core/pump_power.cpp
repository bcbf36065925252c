#include "core/pump_power.h"

#include "core/double_rounding.h"
#include "core/float_faults.h"
#include "core/invariant_divisor.h"

namespace pumpcalc {
namespace {

// Each operation is followed by the fault check, where the hardware would trap.
ExtendedReal checked(ExtendedReal result) {
  checkFloatFaults();
  return result;
}

// Rounds to a double and takes that double back exactly.
ExtendedReal roundedToDouble(ExtendedReal x) {
  ExtendedReal rounded;
  if (roundToNormalDouble(x, rounded)) {
    checkFloatFaults();
    return rounded;
  }
  const std::uint64_t bits = toBinary64(x);
  checkFloatFaults();
  return checked(fromBinary64(bits));
}

}  // namespace

ExtendedReal headFlowProduct(ExtendedReal flow, ExtendedReal head) {
  return roundedToDouble(checked(head * flow));
}

ExtendedReal efficiencyDivisor(ExtendedReal efficiency) {
  const ExtendedReal scaled = checked(efficiency * pumpConstant3672);
  return roundedToDouble(checked(scaled * pumpConstantPercent));
}

PumpResult pumpPowerFromProductAndDivisor(ExtendedReal product, ExtendedReal divisor) {
  // Three divisions by one divisor: its reciprocal serves all three.
  const InvariantDivisor byDivisor(divisor);
  const auto divided = [&](ExtendedReal numerator) {
    ExtendedReal quotient;
    if (!byDivisor.divide(numerator, quotient)) quotient = numerator / divisor;
    return checked(quotient);
  };
  PumpResult result;
  result.shaftPower = divided(product);
  result.lowerMotorPower = divided(checked(pumpConstantLowerFactor * product));
  result.upperMotorPower = divided(checked(pumpConstantUpperFactor * product));
  return result;
}

PumpPowerTexts calculatePumpPower(std::string_view flow, std::string_view head,
                                  std::string_view efficiency) {
  return calculatePumpPower([flow] { return flow; }, [head] { return head; },
                            [efficiency] { return efficiency; });
}

}  // namespace pumpcalc
