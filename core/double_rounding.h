// Rounding an extended value to a double and back, the step of the pump formula that
// stores an intermediate result in a double variable.
#pragma once

#include "core/extended_real.h"
#include "core/round_pack.h"

namespace pumpcalc {

// x rounded to the nearest double (ties to even) and taken back, as FST m64real and then
// FLD m64real give it, for an x whose double is a normal number below 2^1023: returns true
// with `rounded` set and the precision flag raised when the rounding was inexact, the only
// flag that those two instructions raise then. Returns false, having done nothing, for any
// other x (zeros, denormals, results at the top binade of the doubles or beyond, infinities,
// NaNs, unsupported encodings), which the instructions themselves must handle. The flag goes
// to `unit` (see multiply()).
inline bool roundToNormalDouble(ExtendedReal x, ExtendedReal& rounded,
                                FloatUnitState& unit) noexcept {
  int exponent = x.biasedExponent() - extendedExponentBias;
  if (!isNormal(x) || exponent < -1022 || exponent >= 1023) return false;
  // The double's common case of round-and-pack, its value held in the extended format.
  const std::uint64_t significand = roundCommonCase<53>(exponent, u128{x.significand} << 64, unit);
  rounded = ExtendedReal::fromBits(x.isNegative(),
                                   static_cast<std::uint16_t>(exponent + extendedExponentBias),
                                   significand << 11);
  return true;
}
inline bool roundToNormalDouble(ExtendedReal x, ExtendedReal& rounded) noexcept {
  return roundToNormalDouble(x, rounded, floatUnit());
}

}  // namespace pumpcalc
