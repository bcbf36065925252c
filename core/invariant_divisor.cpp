#include "core/invariant_divisor.h"

#include "core/float_unit.h"
#include "core/nearest_even.h"
#include "core/wide_division.h"

namespace pumpcalc {
namespace {

using u128 = unsigned __int128;

}  // namespace

InvariantDivisor::InvariantDivisor(ExtendedReal divisor) noexcept {
  if (!isNormal(divisor)) return;
  significand_ = divisor.significand;
  // floor((2^128 - 1) / d) - 2^64 = floor(((2^64 - 1 - d) × 2^64 + 2^64 - 1) / d).
  std::uint64_t remainder;
  reciprocal_ = divideWords(~significand_, ~std::uint64_t{0}, significand_, remainder);
  signExponent_ = divisor.signExponent;
}

bool InvariantDivisor::divide(ExtendedReal numerator, ExtendedReal& quotient,
                              FloatUnitState& unit) const noexcept {
  if (significand_ == 0 || !isNormal(numerator)) return false;
  const int biased = numerator.biasedExponent();
  const std::uint64_t a = numerator.significand, d = significand_;
  // a ≥ d: the quotient of the significands is 1.f, kept as the 1 and 63 bits of f, whose
  // last bit rounds. a < d: it is 0.f with f ≥ 2^63, all of f kept, the remainder against
  // d/2 rounding.
  const bool atLeastOne = a >= d;
  int exponent = biased - (signExponent_ & 0x7FFF) + extendedExponentBias - !atLeastOne;
  if (exponent < 1 || exponent > extendedMaxExponent - 2) return false;  // near the range ends

  // (high × 2^64) ÷ d with the reciprocal: Möller and Granlund, "Improved division by
  // invariant integers" (2011), algorithm 4, with a zero low word.
  const std::uint64_t high = atLeastOne ? a - d : a;
  const u128 estimate = static_cast<u128>(reciprocal_) * high + (static_cast<u128>(high) << 64);
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

  std::uint64_t significand = atLeastOne ? (1ull << 63) | (f >> 1) : f;
  const std::uint64_t rest = d - remainder;  // remainder > d/2 exactly when rest < remainder
  const std::uint64_t up = atLeastOne ? (f & 1) & ((remainder != 0) | significand)
                                      : roundsUp(remainder, rest, significand);
  const bool inexact = atLeastOne ? (f & 1) != 0 || remainder != 0 : remainder != 0;
  significand += up & 1;
  if (significand == 0) {  // all ones rounded up: the next binade
    significand = 1ull << 63;
    ++exponent;
  }
  unit.flags |= static_cast<std::uint8_t>(inexact * flagPrecision);
  quotient = ExtendedReal::fromBits(numerator.isNegative() != ((signExponent_ & 0x8000) != 0),
                                    static_cast<std::uint16_t>(exponent), significand);
  return true;
}

}  // namespace pumpcalc
