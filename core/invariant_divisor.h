// FDIV by one divisor many times: the pump formula's three divisions by its divisor, the
// decimal conversions' by powers of ten. The divisor's reciprocal, made once, turns each
// division into multiplications.
#pragma once

#include <cstdint>

#include "core/extended_real.h"

namespace pumpcalc {

class InvariantDivisor {
 public:
  InvariantDivisor() = default;
  // Any value; only a normal one (isNormal) can divide here.
  explicit InvariantDivisor(ExtendedReal divisor) noexcept;

  // numerator ÷ the divisor as FDIV gives it, for a normal numerator and a quotient that is
  // normal: returns true with `quotient` set and the precision flag raised when inexact, the
  // only flag that FDIV raises then. Returns false, having done nothing, for anything else,
  // which FDIV itself (operator/) must handle. The flag goes to `unit` (see multiply()).
  bool divide(ExtendedReal numerator, ExtendedReal& quotient, FloatUnitState& unit) const noexcept;
  bool divide(ExtendedReal numerator, ExtendedReal& quotient) const noexcept {
    return divide(numerator, quotient, floatUnit());
  }

 private:
  ExtendedReal divisor_;          // its significand 0: the divisor is not normal
  std::uint64_t reciprocal_ = 0;  // floor((2^128 - 1) / significand) - 2^64
};

}  // namespace pumpcalc
