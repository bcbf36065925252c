// A pump's shaft power and the range of motor power to pair with it:
//   N = Q × H ÷ (367.2 × η × 0.01),  M1 = 1.1 × N,  M2 = 1.2 × N
// with Q the flow in m³/h, H the head in m and η the efficiency in per cent, computed with
// the exact sequence of extended and double roundings below, under FloatControlWord. The
// 367.2 is water's; for another liquid the product takes its specific gravity SG as a
// third factor (Q × H × SG), and an engineer's margin K gives the motor power K × N.
#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <utility>

#include "core/decimal_format.h"
#include "core/decimal_parse.h"
#include "core/extended_real.h"

namespace pumpcalc {

struct PumpResult {
  ExtendedReal shaftPower;       // N, kW
  ExtendedReal lowerMotorPower;  // M1, kW
  ExtendedReal upperMotorPower;  // M2, kW
};

// The results with the P and D they came from, for a motor power of another factor
// (requiredMotorPower).
struct PumpValues : PumpResult {
  ExtendedReal product;
  ExtendedReal divisor;
};

struct PumpPowerTexts {
  std::string shaftPower;
  std::string lowerMotorPower;
  std::string upperMotorPower;
};

// The constants with their exact bits; 367.2 is rounded toward zero, one unit in the last
// place below the nearest extended value, the others are the nearest.
inline constexpr ExtendedReal pumpConstant3672 =
    ExtendedReal::fromBits(false, 0x4007, 0xB799999999999999);
inline constexpr ExtendedReal pumpConstantPercent =
    ExtendedReal::fromBits(false, 0x3FF8, 0xA3D70A3D70A3D70A);
inline constexpr ExtendedReal pumpConstantLowerFactor =
    ExtendedReal::fromBits(false, 0x3FFF, 0x8CCCCCCCCCCCCCCD);
inline constexpr ExtendedReal pumpConstantUpperFactor =
    ExtendedReal::fromBits(false, 0x3FFF, 0x999999999999999A);

// Each step below computes in `unit`, this thread's float unit (floatUnit()), which a caller
// that computes many rows fetches once; the overloads without it fetch it themselves.

// P = H × Q in extended precision, rounded to a double. Raises EOverflow beyond the double
// range; a product too small for a double becomes a denormal or zero silently.
ExtendedReal headFlowProduct(ExtendedReal flow, ExtendedReal head, FloatUnitState& unit);
inline ExtendedReal headFlowProduct(ExtendedReal flow, ExtendedReal head) {
  return headFlowProduct(flow, head, floatUnit());
}

// P for a liquid of specific gravity SG: (H × Q) × SG, each product rounded to extended, then
// rounded to a double. EOverflow where either product or the double would leave its range.
// With SG = 1 it is the product above, bit for bit.
ExtendedReal headFlowProduct(ExtendedReal flow, ExtendedReal head, ExtendedReal specificGravity,
                             FloatUnitState& unit);

// D = (η × 367.2) × 0.01 in extended precision, rounded to a double; EOverflow as above.
ExtendedReal efficiencyDivisor(ExtendedReal efficiency, FloatUnitState& unit);
inline ExtendedReal efficiencyDivisor(ExtendedReal efficiency) {
  return efficiencyDivisor(efficiency, floatUnit());
}

// N = P ÷ D, M1 = (1.1 × P) ÷ D, M2 = (1.2 × P) ÷ D. Raises EZeroDivide when D is zero
// and P is not, EInvalidOp when both are zero.
PumpResult pumpPowerFromProductAndDivisor(ExtendedReal product, ExtendedReal divisor,
                                          FloatUnitState& unit);
inline PumpResult pumpPowerFromProductAndDivisor(ExtendedReal product, ExtendedReal divisor) {
  return pumpPowerFromProductAndDivisor(product, divisor, floatUnit());
}

// The motor power to order with an engineer's margin K: (K × P) ÷ D, each step rounded to
// extended, as M1 and M2 are formed; with K = 1.1 it is M1 bit for bit. Unlike those it can
// leave the extended range (a large K, a tiny D): EOverflow. D must not be zero
// (pumpPowerFromProductAndDivisor has failed then).
ExtendedReal requiredMotorPower(ExtendedReal margin, ExtendedReal product, ExtendedReal divisor,
                                FloatUnitState& unit);

// The whole calculation over three texts, each read (a callable returning its text) only
// when the calculation reaches it: flow, head, the product, then efficiency. So the first
// bad box in that order decides the error, and a product overflow is reported even when
// the efficiency text is not a number. Nothing is returned unless all three results are.
template <std::invocable ReadFlow, std::invocable ReadHead, std::invocable ReadEfficiency>
PumpResult calculatePumpPowerValues(ReadFlow&& readFlow, ReadHead&& readHead,
                                    ReadEfficiency&& readEfficiency, FloatUnitState& unit) {
  const ExtendedReal flow = textToExtended(std::forward<ReadFlow>(readFlow)(), unit);
  const ExtendedReal head = textToExtended(std::forward<ReadHead>(readHead)(), unit);
  const ExtendedReal product = headFlowProduct(flow, head, unit);
  const ExtendedReal efficiency =
      textToExtended(std::forward<ReadEfficiency>(readEfficiency)(), unit);
  return pumpPowerFromProductAndDivisor(product, efficiencyDivisor(efficiency, unit), unit);
}

// The same for a liquid of specific gravity SG, whose text is read after the head's and
// before the product is formed: a bad one is reported after a bad flow or head, before a bad
// efficiency or a product overflow. With P and D, for requiredMotorPower; SG "1" gives the
// results above, bit for bit.
template <std::invocable ReadFlow, std::invocable ReadHead, std::invocable ReadSpecificGravity,
          std::invocable ReadEfficiency>
PumpValues calculatePumpPowerValues(ReadFlow&& readFlow, ReadHead&& readHead,
                                    ReadSpecificGravity&& readSpecificGravity,
                                    ReadEfficiency&& readEfficiency, FloatUnitState& unit) {
  const ExtendedReal flow = textToExtended(std::forward<ReadFlow>(readFlow)(), unit);
  const ExtendedReal head = textToExtended(std::forward<ReadHead>(readHead)(), unit);
  const ExtendedReal specificGravity =
      textToExtended(std::forward<ReadSpecificGravity>(readSpecificGravity)(), unit);
  const ExtendedReal product = headFlowProduct(flow, head, specificGravity, unit);
  const ExtendedReal efficiency =
      textToExtended(std::forward<ReadEfficiency>(readEfficiency)(), unit);
  const ExtendedReal divisor = efficiencyDivisor(efficiency, unit);
  return {pumpPowerFromProductAndDivisor(product, divisor, unit), product, divisor};
}

template <std::invocable ReadFlow, std::invocable ReadHead, std::invocable ReadEfficiency>
PumpPowerTexts calculatePumpPower(ReadFlow&& readFlow, ReadHead&& readHead,
                                  ReadEfficiency&& readEfficiency) {
  const PumpResult result =
      calculatePumpPowerValues(std::forward<ReadFlow>(readFlow), std::forward<ReadHead>(readHead),
                               std::forward<ReadEfficiency>(readEfficiency), floatUnit());
  return {extendedToText(result.shaftPower), extendedToText(result.lowerMotorPower),
          extendedToText(result.upperMotorPower)};
}

// The calculation over three texts at hand.
PumpPowerTexts calculatePumpPower(std::string_view flow, std::string_view head,
                                  std::string_view efficiency);

}  // namespace pumpcalc
