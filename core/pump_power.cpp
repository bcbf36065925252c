#include "core/pump_power.h"

#include "core/double_rounding.h"
#include "core/float_faults.h"
#include "core/invariant_divisor.h"

namespace pumpcalc {
namespace {

// Each operation is followed by the fault check, where the hardware would trap.
ExtendedReal checked(ExtendedReal result, const FloatUnitState& unit) {
  checkFloatFaults(unit);
  return result;
}

// FST and FLD themselves, for what the shortcut does not take; apart, so that a caller that
// inlines the shortcut does not inline this too.
[[gnu::noinline]] ExtendedReal roundedThroughDouble(ExtendedReal x, FloatUnitState& unit) {
  const std::uint64_t bits = toBinary64(x);
  checkFloatFaults(unit);
  return checked(fromBinary64(bits), unit);
}

// Rounds to a double and takes that double back exactly.
ExtendedReal roundedToDouble(ExtendedReal x, FloatUnitState& unit) {
  ExtendedReal rounded;
  if (roundToNormalDouble(x, rounded, unit)) {
    checkFloatFaults(unit);
    return rounded;
  }
  return roundedThroughDouble(x, unit);
}

}  // namespace

ExtendedReal headFlowProduct(ExtendedReal flow, ExtendedReal head, FloatUnitState& unit) {
  return roundedToDouble(checked(multiply(head, flow, unit), unit), unit);
}

ExtendedReal headFlowProduct(ExtendedReal flow, ExtendedReal head, ExtendedReal specificGravity,
                             FloatUnitState& unit) {
  const ExtendedReal product = checked(multiply(head, flow, unit), unit);
  return roundedToDouble(checked(multiply(product, specificGravity, unit), unit), unit);
}

ExtendedReal efficiencyDivisor(ExtendedReal efficiency, FloatUnitState& unit) {
  const ExtendedReal scaled = checked(multiply(efficiency, pumpConstant3672, unit), unit);
  return roundedToDouble(checked(multiply(scaled, pumpConstantPercent, unit), unit), unit);
}

PumpResult pumpPowerFromProductAndDivisor(ExtendedReal product, ExtendedReal divisor,
                                          FloatUnitState& unit) {
  // Three divisions by one divisor: its reciprocal serves all three.
  const InvariantDivisor byDivisor(divisor);
  const auto divided = [&](ExtendedReal numerator) {
    ExtendedReal quotient;
    if (!byDivisor.divide(numerator, quotient, unit)) quotient = divide(numerator, divisor, unit);
    return checked(quotient, unit);
  };
  PumpResult result;
  result.shaftPower = divided(product);
  result.lowerMotorPower = divided(checked(multiply(pumpConstantLowerFactor, product, unit), unit));
  result.upperMotorPower = divided(checked(multiply(pumpConstantUpperFactor, product, unit), unit));
  return result;
}

ExtendedReal requiredMotorPower(ExtendedReal margin, ExtendedReal product, ExtendedReal divisor,
                                FloatUnitState& unit) {
  // One division: the plain one, which the shortcut of the three above matches bit for bit.
  const ExtendedReal scaled = checked(multiply(margin, product, unit), unit);
  return checked(divide(scaled, divisor, unit), unit);
}

PumpPowerTexts calculatePumpPower(std::string_view flow, std::string_view head,
                                  std::string_view efficiency) {
  return calculatePumpPower([flow] { return flow; }, [head] { return head; },
                            [efficiency] { return efficiency; });
}

}  // namespace pumpcalc
