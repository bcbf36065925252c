// Rounding an extended value to a double and back, the step of the pump formula that
// stores an intermediate result in a double variable.
#pragma once

#include "core/extended_real.h"

namespace pumpcalc {

// x rounded to the nearest double (ties to even) and taken back, as FST m64real and then
// FLD m64real give it, for an x whose double is a normal number: returns true with
// `rounded` set and the precision flag raised when the rounding was inexact, the only flag
// that those two instructions raise then. Returns false, having done nothing, for any other
// x (zeros, denormals, results beyond the normal doubles, infinities, NaNs, unsupported
// encodings), which the instructions themselves must handle. The flag goes to `unit` (see
// multiply()).
bool roundToNormalDouble(ExtendedReal x, ExtendedReal& rounded, FloatUnitState& unit) noexcept;
inline bool roundToNormalDouble(ExtendedReal x, ExtendedReal& rounded) noexcept {
  return roundToNormalDouble(x, rounded, floatUnit());
}

}  // namespace pumpcalc
