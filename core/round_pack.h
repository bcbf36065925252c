// The one rounding of each format the arithmetic delivers: the 80-bit extended value, the
// binary64 double (FST m64real) and the integer (FRNDINT). Every operation, its shortcuts
// included, computes its exact result, or enough of it and a sticky bit, and hands it here;
// nothing else rounds or decides inexact, underflow and overflow. The common case, a result
// that can neither underflow nor overflow, is inline, so that an operation's fast path pays
// no call; the rest (round_pack.cpp) follows the x87's rules (x87_rules.h) with the exceptions
// masked: an overflow becomes an infinity, an underflow a denormal or zero.
#pragma once

#include <cstdint>

#include "core/extended_real.h"
#include "core/float_unit.h"
#include "core/wide_integer.h"

namespace pumpcalc {

// The extended format's results that may underflow or overflow: roundPackExtended's
// general case.
ExtendedReal roundPackExtendedGeneral(bool sign, std::int32_t exp, u128 sig,
                                      FloatUnitState& unit) noexcept;

// The common case of a format of `precision` bits (at most 64): a value of `precision` kept
// bits (the top one set), with the rounding bit below them and whether anything below that
// is set, rounded to nearest, ties to even, the precision flag raised when that was inexact.
// A rounding that carries out of the top bit gives the next power of two, with exp one
// larger.
template <int precision>
inline std::uint64_t roundCommonCase(std::int32_t& exp, std::uint64_t kept, std::uint64_t roundBit,
                                     bool sticky, FloatUnitState& unit) noexcept {
  // Set without a branch: exact and inexact results come mixed, in real data as in the parser.
  unit.flags |= static_cast<std::uint8_t>((roundBit != 0 || sticky) * flagPrecision);
  kept += roundsUp(roundBit, sticky, kept);
  if ((kept >> (precision - 1)) != 1) {  // carried out of the top bit (to 0 for 64 bits)
    kept = std::uint64_t{1} << (precision - 1);
    ++exp;
  }
  return kept;
}

// The same for sig (bit 127 set) rounded to its top `precision` bits.
template <int precision>
inline std::uint64_t roundCommonCase(std::int32_t& exp, u128 sig, FloatUnitState& unit) noexcept {
  constexpr int dropped = 64 - precision;  // of the high word; the low word lies below them
  const auto high = static_cast<std::uint64_t>(sig >> 64), low = static_cast<std::uint64_t>(sig);
  if constexpr (dropped == 0) {
    return roundCommonCase<precision>(exp, high, low >> 63, (low << 1) != 0, unit);
  } else {
    return roundCommonCase<precision>(exp, high >> dropped, (high >> (dropped - 1)) & 1,
                                      ((high << (65 - dropped)) | low) != 0, unit);
  }
}

// The common case of the integers: the integer nearest to sig × 2^(exp - 63), ties to even,
// for 0 <= exp <= 63 and sig's bit 63 set, the precision flag raised when a fraction was
// dropped.
inline std::uint64_t integerNearest(std::int32_t exp, std::uint64_t sig,
                                    FloatUnitState& unit) noexcept {
  if (exp >= 63) return sig;
  bool inexact = false;
  const std::uint64_t integer = shiftRightRoundingToNearestEven(sig, 63 - exp, inexact);
  unit.flags |= static_cast<std::uint8_t>(inexact * flagPrecision);
  return integer;
}

// The exact product of two significands with bit 63 set, shifted once where it is below 2^127,
// so that bit 127 is set: `exp`, the operands' exponents added up, becomes the product's.
inline u128 normalizedProduct(std::uint64_t x, std::uint64_t y, std::int32_t& exp) noexcept {
  const u128 product = u128{x} * y;
  const bool below = (product >> 127) == 0;
  exp += below ? 0 : 1;
  return below ? product << 1 : product;
}

// sig × 2^(exp - 127), for sig with bit 127 set and anything below its rounding bit ORed
// into bit 0, rounded to the extended format (64 bits, exponent from -16382 to 16383).
inline ExtendedReal roundPackExtended(bool sign, std::int32_t exp, u128 sig,
                                      FloatUnitState& unit) noexcept {
  if (exp >= 1 - extendedExponentBias && exp < extendedExponentBias) {
    const std::uint64_t significand = roundCommonCase<64>(exp, sig, unit);
    return ExtendedReal::fromBits(sign, static_cast<std::uint16_t>(exp + extendedExponentBias),
                                  significand);
  }
  return roundPackExtendedGeneral(sign, exp, sig, unit);
}

// The same value rounded to a double (53 bits, exponent from -1022 to 1023): its IEEE
// binary64 bits, as FST m64real stores them.
std::uint64_t roundPackBinary64(bool sign, std::int32_t exp, u128 sig,
                                FloatUnitState& unit) noexcept;

// sig × 2^(exp - 63), an extended value (sig's bit 63 set), rounded to an integer as
// FRNDINT does: the integer as a normal extended value, or a zero of the value's sign. Its
// small results are ordinary integers, never underflows.
ExtendedReal roundPackInteger(bool sign, std::int32_t exp, std::uint64_t sig,
                              FloatUnitState& unit) noexcept;

}  // namespace pumpcalc
