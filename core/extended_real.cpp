// The x87 arithmetic in integer operations. Each operation settles its special operands
// (NaNs, infinities, zeros; the x87's own rules are in x87_rules.h) and otherwise computes
// the exact result, or enough of it plus a sticky bit, and hands it to the round-and-pack of
// its format (round_pack.h), which alone rounds and decides inexact, underflow and overflow.
#include "core/extended_real.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <tuple>
#include <utility>

#include "core/float_unit.h"
#include "core/round_pack.h"
#include "core/wide_integer.h"
#include "core/x87_rules.h"

namespace pumpcalc {
namespace {

using x87rules::Encoding;

constexpr std::uint64_t integerBit = 1ull << 63;

// A finite nonzero value sig * 2^(exp - 63), with bit 63 of sig set.
struct Unpacked {
  bool sign;
  std::int32_t exp;
  std::uint64_t sig;
};

// Requires a zero, denormal or normal encoding; a zero comes back with sig 0.
Unpacked unpack(ExtendedReal a) {
  const int biased = std::max<int>(a.biasedExponent(), x87rules::denormalBiasedExponent);
  const int shift = a.significand == 0 ? 0 : std::countl_zero(a.significand);
  return {a.isNegative(), biased - extendedExponentBias - shift, a.significand << shift};
}

ExtendedReal infinity(bool sign) {
  return ExtendedReal::fromBits(sign, extendedMaxExponent, integerBit);
}
ExtendedReal zero(bool sign) { return ExtendedReal::fromBits(sign, 0, 0); }

ExtendedReal invalid(FloatUnitState& unit) {
  unit.flags |= flagInvalid;
  return x87rules::defaultNaN;
}

ExtendedReal addOrSubtract(ExtendedReal a, ExtendedReal b, bool negateB, FloatUnitState& unit) {
  const Encoding ea = x87rules::classify(a), eb = x87rules::classify(b);
  if (const auto nan = x87rules::propagateNaN(a, ea, b, eb)) {
    unit.flags |= nan->flags;
    return nan->value;
  }
  if (negateB) b = -b;
  const bool signA = a.isNegative(), signB = b.isNegative();
  unit.flags |= x87rules::denormalOperandFlags(ea, eb);
  if (ea == Encoding::infinity || eb == Encoding::infinity) {
    if (ea == eb && signA != signB) return invalid(unit);  // inf - inf
    return ea == Encoding::infinity ? a : b;
  }
  if (ea == Encoding::zero && eb == Encoding::zero) {
    return zero(signA && signB);  // exact zero sums are +0 in round-to-nearest
  }

  Unpacked x = unpack(a), y = unpack(b);
  if (ea == Encoding::zero) std::swap(x, y);
  if (y.sig == 0) return roundPackExtended(x.sign, x.exp, u128{x.sig} << 64, unit);
  if (x.exp < y.exp || (x.exp == y.exp && x.sig < y.sig)) std::swap(x, y);
  // Two bits of headroom above the significands for a carry; 62 below them, so that the
  // sticky bit of the shifted operand lies far below any rounding position.
  const u128 big = u128{x.sig} << 62;
  const u128 small = shiftRightJam(u128{y.sig} << 62, std::int64_t{x.exp} - y.exp);
  const u128 sum = x.sign == y.sign ? big + small : big - small;
  if (sum == 0) return zero(false);
  const int shift = countLeadingZeros(sum);
  return roundPackExtended(x.sign, x.exp + 2 - shift, sum << shift, unit);
}

// The rounded product of two significands with bit 63 set, for a result of sign `sign`
// whose operands' exponents add up to `exp`.
ExtendedReal roundedProduct(bool sign, std::int32_t exp, std::uint64_t x, std::uint64_t y,
                            FloatUnitState& unit) {
  const u128 product = normalizedProduct(x, y, exp);
  return roundPackExtended(sign, exp, product, unit);
}

// The quotient of two finite nonzero values (normals or denormals), rounded.
ExtendedReal divideNormals(ExtendedReal a, ExtendedReal b, FloatUnitState& unit) noexcept {
  const bool sign = a.isNegative() != b.isNegative();
  const Unpacked x = unpack(a), y = unpack(b);
  // Long division, 64 quotient bits at a time: an integer part q0 (0 or 1), then 128 bits of
  // fraction, then the remainder as the sticky bit. That is at least 127 significant bits,
  // plenty for a 64-bit significand and its rounding bit.
  const std::uint64_t q0 = x.sig >= y.sig ? 1 : 0;
  std::uint64_t remainder = x.sig - (q0 != 0 ? y.sig : 0);
  const std::uint64_t q1 = divideWords(remainder, 0, y.sig, remainder);
  const std::uint64_t q2 = divideWords(remainder, 0, y.sig, remainder);
  const u128 fraction = (u128{q1} << 64) | q2;
  const std::uint64_t sticky = remainder != 0 ? 1 : 0;
  if (q0 != 0) {
    const u128 quotient = (u128{1} << 127) | (fraction >> 1) | (fraction & 1) | sticky;
    return roundPackExtended(sign, x.exp - y.exp, quotient, unit);
  }
  // x.sig < y.sig with both in [2^63, 2^64): the quotient is in (1/2, 1), so bit 127 is set.
  return roundPackExtended(sign, x.exp - y.exp - 1, fraction | sticky, unit);
}

// FMUL with an operand that is not a normal number; apart, so that a caller that inlines the
// normal operands' path does not inline this too.
[[gnu::noinline]] ExtendedReal multiplySpecial(ExtendedReal a, ExtendedReal b,
                                               FloatUnitState& unit) noexcept {
  const Encoding ea = x87rules::classify(a), eb = x87rules::classify(b);
  if (const auto nan = x87rules::propagateNaN(a, ea, b, eb)) {
    unit.flags |= nan->flags;
    return nan->value;
  }
  const bool sign = a.isNegative() != b.isNegative();
  const bool anyZero = ea == Encoding::zero || eb == Encoding::zero;
  if (ea == Encoding::infinity || eb == Encoding::infinity) {
    if (anyZero) return invalid(unit);  // 0 * inf
    unit.flags |= x87rules::denormalOperandFlags(ea, eb);
    return infinity(sign);
  }
  unit.flags |= x87rules::denormalOperandFlags(ea, eb);
  if (anyZero) return zero(sign);

  const Unpacked x = unpack(a), y = unpack(b);
  return roundedProduct(sign, x.exp + y.exp, x.sig, y.sig, unit);
}

}  // namespace

ExtendedReal operator+(ExtendedReal a, ExtendedReal b) noexcept {
  return addOrSubtract(a, b, false, floatUnit());
}

ExtendedReal operator-(ExtendedReal a, ExtendedReal b) noexcept {
  // The NaN rules look at b as given: subtraction never changes a NaN's sign.
  return addOrSubtract(a, b, true, floatUnit());
}

ExtendedReal multiply(ExtendedReal a, ExtendedReal b, FloatUnitState& unit) noexcept {
  if (isNormal(a) && isNormal(b)) {
    // Normal operands need no unpacking: their exponents and significands are as stored.
    return roundedProduct(a.isNegative() != b.isNegative(),
                          a.biasedExponent() + b.biasedExponent() - 2 * extendedExponentBias,
                          a.significand, b.significand, unit);
  }
  return multiplySpecial(a, b, unit);
}

// Not inlined: the batch's divisions go by InvariantDivisor and come here only for what it
// does not take.
[[gnu::noinline]] ExtendedReal divide(ExtendedReal a, ExtendedReal b,
                                      FloatUnitState& unit) noexcept {
  if (isNormal(a) && isNormal(b)) return divideNormals(a, b, unit);
  const Encoding ea = x87rules::classify(a), eb = x87rules::classify(b);
  if (const auto nan = x87rules::propagateNaN(a, ea, b, eb)) {
    unit.flags |= nan->flags;
    return nan->value;
  }
  const bool sign = a.isNegative() != b.isNegative();
  if (ea == eb && (ea == Encoding::zero || ea == Encoding::infinity)) return invalid(unit);
  if (eb == Encoding::zero && ea != Encoding::infinity) {
    unit.flags |=
        flagZeroDivide |
        (x87rules::zeroDivideReportsDenormalOperand ? x87rules::denormalOperandFlags(ea, eb) : 0);
    return infinity(sign);
  }
  unit.flags |= x87rules::denormalOperandFlags(ea, eb);
  if (ea == Encoding::infinity || eb == Encoding::zero) return infinity(sign);
  if (ea == Encoding::zero || eb == Encoding::infinity) return zero(sign);

  return divideNormals(a, b, unit);
}

ExtendedReal operator*(ExtendedReal a, ExtendedReal b) noexcept {
  return multiply(a, b, floatUnit());
}

ExtendedReal operator/(ExtendedReal a, ExtendedReal b) noexcept {
  return divide(a, b, floatUnit());
}

ExtendedReal extendedFromInt64(std::int64_t value) noexcept {
  if (value == 0) return zero(false);
  // The magnitude as unsigned, which also holds -2^63. Every 64-bit integer is exact.
  const std::uint64_t magnitude =
      value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  return value < 0 ? -extendedFromUint64(magnitude) : extendedFromUint64(magnitude);
}

ExtendedReal roundToInteger(ExtendedReal a) noexcept {
  FloatUnitState& unit = currentFloatUnit;
  if (isNormal(a)) {
    return roundPackInteger(a.isNegative(), a.biasedExponent() - extendedExponentBias,
                            a.significand, unit);
  }
  const Encoding e = x87rules::classify(a);
  if (const auto nan = x87rules::propagateNaN(a, e)) {
    unit.flags |= nan->flags;
    return nan->value;
  }
  if (e == Encoding::zero || e == Encoding::infinity) return a;
  unit.flags |= x87rules::denormalOperandFlags(e, e);
  const Unpacked x = unpack(a);
  return roundPackInteger(x.sign, x.exp, x.sig, unit);
}

std::uint64_t toBinary64(ExtendedReal a) noexcept {
  const Encoding e = x87rules::classify(a);
  const std::uint64_t sign = a.isNegative() ? 1ull << 63 : 0;
  switch (e) {
    case Encoding::unsupported:
      raiseFloatFlags(flagInvalid);
      return x87rules::defaultNaNBinary64;
    case Encoding::signalingNaN:
      raiseFloatFlags(flagInvalid);
      return x87rules::binary64FromNaN(a);
    case Encoding::quietNaN:
      return x87rules::binary64FromNaN(a);
    case Encoding::infinity:
      return sign | 0x7FF0'0000'0000'0000u;
    case Encoding::zero:
      return sign;
    case Encoding::denormal:
      if (x87rules::storeBinary64ReportsDenormalOperand) raiseFloatFlags(flagDenormal);
      break;
    case Encoding::normal:
      break;
  }
  const Unpacked x = unpack(a);
  return roundPackBinary64(x.sign, x.exp, u128{x.sig} << 64, floatUnit());
}

ExtendedReal fromBinary64(std::uint64_t bits) noexcept {
  const bool sign = (bits >> 63) != 0;
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & 0x000F'FFFF'FFFF'FFFFu;
  if (biased == 0x7FF) {
    if (fraction == 0) return infinity(sign);
    if ((fraction >> 51) == 0) raiseFloatFlags(flagInvalid);  // signaling
    return x87rules::extendedFromBinary64NaN(bits);
  }
  if (biased == 0) {
    if (fraction == 0) return zero(sign);
    if (x87rules::loadBinary64ReportsDenormalOperand) raiseFloatFlags(flagDenormal);
    const int shift = std::countl_zero(fraction);
    return roundPackExtended(sign, -1074 + 63 - shift, u128{fraction << shift} << 64, floatUnit());
  }
  // A normal double is exact in 64 bits.
  return ExtendedReal::fromBits(sign,
                                static_cast<std::uint16_t>(biased - 1023 + extendedExponentBias),
                                integerBit | (fraction << 11));
}

std::partial_ordering compare(ExtendedReal a, ExtendedReal b, FloatUnitState& unit) noexcept {
  const Encoding ea = x87rules::classify(a), eb = x87rules::classify(b);
  if (ea == Encoding::unsupported || eb == Encoding::unsupported || x87rules::isNaN(ea) ||
      x87rules::isNaN(eb)) {
    unit.flags |= x87rules::unorderedCompareFlags(ea, eb);
    return std::partial_ordering::unordered;
  }
  unit.flags |= x87rules::denormalOperandFlags(ea, eb);
  // Magnitudes as (class, exponent, significand), where zero < finite < infinity.
  const auto magnitude = [](ExtendedReal v, Encoding e) {
    const int rank = e == Encoding::zero ? 0 : e == Encoding::infinity ? 2 : 1;
    const Unpacked u = rank == 1 ? unpack(v) : Unpacked{false, 0, 0};
    return std::tuple{rank, u.exp, u.sig};
  };
  const auto ma = magnitude(a, ea), mb = magnitude(b, eb);
  if (ea == Encoding::zero && eb == Encoding::zero) return std::partial_ordering::equivalent;
  if (a.isNegative() != b.isNegative()) {
    return a.isNegative() ? std::partial_ordering::less : std::partial_ordering::greater;
  }
  return a.isNegative() ? mb <=> ma : ma <=> mb;
}

std::partial_ordering compare(ExtendedReal a, ExtendedReal b) noexcept {
  return compare(a, b, floatUnit());
}

}  // namespace pumpcalc
