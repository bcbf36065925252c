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
  // The quotient of the significands as 1.f × 2^-k, with 64 bits of f and the remainder of
  // f's division telling what lies below: a ≥ d gives a/d = 1 + (a - d)/d; a < d gives
  // a/d = (1 + (2a - d)/d) / 2, where 2a - d (below d) is computed modulo 2^64.
  // Without a branch: either case is as likely as the other.
  const std::uint64_t belowOne = a < d;
  int exponent =
      numerator.biasedExponent() - divisor_.biasedExponent() - static_cast<int>(belowOne);
  // Near the ends of the range FDIV itself decides underflow and overflow.
  if (exponent < 1 - extendedExponentBias || exponent >= extendedExponentBias) return false;

  // (high × 2^64) ÷ d with the reciprocal: Möller and Granlund, "Improved division by
  // invariant integers" (2011), algorithm 4, with a zero low word.
  const std::uint64_t high = belowOne != 0 ? a + (a - d) : a - d;
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

  // The leading one and f's top 63 bits; below them f's last bit and the remainder as sticky.
  const std::uint64_t leading = (std::uint64_t{1} << 63) | (f >> 1);
  const std::uint64_t below = (f << 63) | (remainder != 0);
  const std::uint64_t significand =
      roundCommonCase<64>(exponent, (u128{leading} << 64) | below, unit);
  quotient = ExtendedReal::fromBits(numerator.isNegative() != divisor_.isNegative(),
                                    static_cast<std::uint16_t>(exponent + extendedExponentBias),
                                    significand);
  return true;
}

}  // namespace pumpcalc
