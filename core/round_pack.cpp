// The general rounding behind round_pack.h: tiny results, results that may overflow, and
// what FRNDINT makes of values below 1. One routine, roundPack, serves the three formats.
#include "core/round_pack.h"

#include <algorithm>
#include <bit>

#include "core/x87_rules.h"

namespace pumpcalc {
namespace {

constexpr std::uint64_t integerBit = std::uint64_t{1} << 63;

// Where a result is rounded to. Below 2^minExp the precision shrinks (gradual underflow).
struct Format {
  int precision;        // significand bits, integer bit included
  std::int32_t minExp;  // exponent of the smallest normal
  std::int32_t maxExp;  // exponent of the largest finite value
  bool reportsUnderflow;
};

constexpr Format extendedFormat{64, 1 - extendedExponentBias, extendedExponentBias, true};
constexpr Format binary64Format{53, -1022, 1023, true};
// FRNDINT is rounding with the last kept bit worth 2^0: a format whose "smallest normal" is
// 2^63, so that everything smaller is shifted down to integer precision. Its tiny results are
// ordinary small integers, not underflows.
constexpr Format integerFormat{64, 63, extendedExponentBias, false};

// A rounded result: top `precision` bits of sig, exponent exp. sig's bit 127 is set for a
// normal result; clear for a denormal (then exp is the format's minExp), 0 for a zero.
struct Rounded {
  bool sign;
  std::int32_t exp;
  u128 sig;
  bool infinite;
};

// Rounds sig × 2^(exp - 127) (sig nonzero, bit 127 set) to the nearest value of `format`,
// ties to even, and raises precision, underflow and overflow as the x87 does with those
// exceptions masked.
Rounded roundPack(const Format& format, bool sign, std::int32_t exp, u128 sig,
                  FloatUnitState& unit) noexcept {
  const int dropped = 128 - format.precision;
  bool tiny = false;
  if (exp < format.minExp) {
    // After-rounding tininess: only a value just below the smallest normal can still round up
    // to it at full precision, which needs every kept bit and the rounding bit set.
    const bool reachesMinNormal = exp == format.minExp - 1 && sig >= (~u128{0} << (dropped - 1));
    tiny = !(x87rules::tininessAfterRounding && reachesMinNormal);
    sig = shiftRightJam(sig, std::int64_t{format.minExp} - exp);
    exp = format.minExp;
  }
  bool inexact = false;
  const u128 kept = shiftRightRoundingToNearestEven(sig, dropped, inexact);
  if ((kept >> format.precision) != 0) {  // carried out of bit 127: the next binade
    sig = u128{1} << 127;
    ++exp;
  } else {
    sig = kept << dropped;
  }
  std::uint8_t flags = 0;
  if (inexact) flags |= flagPrecision;
  if (tiny && format.reportsUnderflow && (inexact || !x87rules::underflowNeedsInexact)) {
    flags |= flagUnderflow;
  }
  const bool infinite = exp > format.maxExp;
  if (infinite) flags |= flagOverflow | flagPrecision;
  unit.flags |= flags;
  return {sign, exp, sig, infinite};
}

}  // namespace

// Never inlined, not even across files: the callers' common case then needs no stack frame.
[[gnu::noinline]] ExtendedReal roundPackExtendedGeneral(bool sign, std::int32_t exp, u128 sig,
                                                        FloatUnitState& unit) noexcept {
  const Rounded r = roundPack(extendedFormat, sign, exp, sig, unit);
  if (r.infinite) return ExtendedReal::fromBits(sign, extendedMaxExponent, integerBit);
  const auto significand = static_cast<std::uint64_t>(r.sig >> 64);
  const int biased = (significand & integerBit) != 0 ? r.exp + extendedExponentBias : 0;
  return ExtendedReal::fromBits(sign, static_cast<std::uint16_t>(biased), significand);
}

std::uint64_t roundPackBinary64(bool sign, std::int32_t exp, u128 sig,
                                FloatUnitState& unit) noexcept {
  const Rounded r = roundPack(binary64Format, sign, exp, sig, unit);
  const std::uint64_t signBit = std::uint64_t{sign} << 63;
  if (r.infinite) return signBit | 0x7FF0'0000'0000'0000u;
  const auto significand = static_cast<std::uint64_t>(r.sig >> 75);  // 53 bits
  const std::uint64_t biased =
      (significand >> 52) != 0 ? static_cast<std::uint64_t>(r.exp + 1023) : 0;
  return signBit | (biased << 52) | (significand & 0x000F'FFFF'FFFF'FFFFu);
}

ExtendedReal roundPackInteger(bool sign, std::int32_t exp, std::uint64_t sig,
                              FloatUnitState& unit) noexcept {
  // Below 1 the general routine decides; from 2^63 on the value is its own integer.
  const std::uint64_t integer =
      exp >= 0 ? integerNearest(exp, sig, unit)
               : static_cast<std::uint64_t>(
                     roundPack(integerFormat, sign, exp, u128{sig} << 64, unit).sig >> 64);
  if (integer == 0) return ExtendedReal::fromBits(sign, 0, 0);
  // The integer's own exponent: exp, or exp + 1 where it rounded up to a power of two, or 0
  // for a value below 1 that rounded up to 1.
  const int shift = std::countl_zero(integer);
  return ExtendedReal::fromBits(
      sign, static_cast<std::uint16_t>(std::max(exp, 63 - shift) + extendedExponentBias),
      integer << shift);
}

}  // namespace pumpcalc
