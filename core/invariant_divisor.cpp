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
  // f ≥ 2^63. Either is as likely as the other, so the exponent takes the case as a number.
  const std::uint64_t belowOne = a < d;
  int exponent =
      numerator.biasedExponent() - divisor_.biasedExponent() - static_cast<int>(belowOne);
  // Near the ends of the range FDIV itself decides underflow and overflow.
  if (exponent < 1 - extendedExponentBias || exponent >= extendedExponentBias) return false;

  // (high × 2^64) ÷ d with the reciprocal: Möller and Granlund, "Improved division by
  // invariant integers" (2011), algorithm 4, with a zero low word.
  const std::uint64_t high = belowOne != 0 ? a : a - d;
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

  // 1.f keeps the one and f's top 63 bits, rounds with f's last bit, the remainder sticky.
  // 0.f keeps all of f and rounds with the remainder against d/2 (rest < remainder: above
  // half, equal: a half).
  const std::uint64_t rest = d - remainder;
  const std::uint64_t significand =
      belowOne != 0 ? roundCommonCase<64>(exponent, f, remainder >= rest,
                                          remainder != 0 && remainder != rest, unit)
                    : roundCommonCase<64>(exponent, (std::uint64_t{1} << 63) | (f >> 1), f & 1,
                                          remainder != 0, unit);
  quotient = ExtendedReal::fromBits(numerator.isNegative() != divisor_.isNegative(),
                                    static_cast<std::uint16_t>(exponent + extendedExponentBias),
                                    significand);
  return true;
}

}  // namespace pumpcalc
