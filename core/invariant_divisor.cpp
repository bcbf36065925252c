#include "core/invariant_divisor.h"

#include "core/float_unit.h"
#include "core/round_pack.h"
#include "core/wide_integer.h"

namespace pumpcalc {

InvariantDivisor::InvariantDivisor(ExtendedReal divisor) noexcept {
  if (!isNormal(divisor)) return;
  divisor_ = divisor;
  // floor((2^128 - 1) / d) - 2^64 = floor(((2^64 - 1 - d) × 2^64 + 2^64 - 1) / d).
  std::uint64_t remainder;
  reciprocal_ =
      divideWords(~divisor.significand, ~std::uint64_t{0}, divisor.significand, remainder);
}

bool InvariantDivisor::divide(ExtendedReal numerator, ExtendedReal& quotient,
                              FloatUnitState& unit) const noexcept {
  const std::uint64_t a = numerator.significand, d = divisor_.significand;
  if (d == 0 || !isNormal(numerator)) return false;
  // a ≥ d: the quotient of the significands is 1.f, with 64 bits of f. a < d: it is 0.f with
  // f ≥ 2^63. Either way the remainder tells what lies below f.
  const bool atLeastOne = a >= d;
  int exponent = numerator.biasedExponent() - divisor_.biasedExponent() - (atLeastOne ? 0 : 1);
  // Near the ends of the range FDIV itself decides underflow and overflow.
  if (exponent < 1 - extendedExponentBias || exponent >= extendedExponentBias) return false;

  // (high × 2^64) ÷ d with the reciprocal: Möller and Granlund, "Improved division by
  // invariant integers" (2011), algorithm 4, with a zero low word.
  const std::uint64_t high = atLeastOne ? a - d : a;
  const u128 estimate = u128{reciprocal_} * high + (u128{high} << 64);
  std::uint64_t f = static_cast<std::uint64_t>(estimate >> 64) + 1;
  std::uint64_t remainder = 0 - f * d;
  // One too large about as often as not: corrected without a branch.
  const std::uint64_t over =
      0 - static_cast<std::uint64_t>(remainder > static_cast<std::uint64_t>(estimate));
  f += over;
  remainder += over & d;
  if (remainder >= d) {  // rare
    ++f;
    remainder -= d;
  }

  // The quotient's 64 bits from its leading one, then its rounding bit and a sticky bit for
  // the rest: for 1.f the last bit of f and the remainder; for 0.f the remainder against d/2.
  const std::uint64_t rest = d - remainder;
  const std::uint64_t leading = atLeastOne ? (std::uint64_t{1} << 63) | (f >> 1) : f;
  const std::uint64_t below =
      atLeastOne ? (f << 63) | (remainder != 0)
                 : (std::uint64_t{remainder >= rest} << 63) | (remainder != 0 && remainder != rest);
  const std::uint64_t significand =
      roundCommonCase<64>(exponent, (u128{leading} << 64) | below, unit);
  quotient = ExtendedReal::fromBits(numerator.isNegative() != divisor_.isNegative(),
                                    static_cast<std::uint16_t>(exponent + extendedExponentBias),
                                    significand);
  return true;
}

}  // namespace pumpcalc
