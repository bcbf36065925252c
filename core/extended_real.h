// ExtendedReal: the x87 80-bit extended-precision value, with its arithmetic done in
// software (integer operations only), so that every result is bit-identical on every
// compiler and processor.
//
// Every operation behaves as the x87 instruction named beside it under a control word
// with 64-bit precision and rounding to nearest (ties to even), with the exceptions
// masked: it returns the masked response and ORs the exception flags it raises into this
// thread's float unit (float_unit.h). Results are rounded over the full extended exponent
// range; tiny results are denormalized and rounded at the denormal's precision.
#pragma once

#include <bit>
#include <compare>
#include <cstdint>

#include "core/float_unit.h"

namespace pumpcalc {

struct ExtendedReal {
  static constexpr std::uint16_t signBit = 0x8000;
  static constexpr std::uint16_t exponentMask = 0x7FFF;

  std::uint64_t significand = 0;   // bit 63 is the explicit integer bit
  std::uint16_t signExponent = 0;  // signBit, and the biased exponent in exponentMask

  static constexpr ExtendedReal fromBits(bool negative, std::uint16_t biasedExponent,
                                         std::uint64_t significand) noexcept {
    return {significand, static_cast<std::uint16_t>((negative ? signBit : 0u) |
                                                    (biasedExponent & exponentMask))};
  }
  constexpr bool isNegative() const noexcept { return (signExponent & signBit) != 0; }
  constexpr std::uint16_t biasedExponent() const noexcept { return signExponent & exponentMask; }

  // Identical bits (so +0 != -0 and a NaN equals itself); for numeric order use compare().
  friend constexpr bool operator==(const ExtendedReal&, const ExtendedReal&) = default;
};

inline constexpr int extendedExponentBias = 16383;
inline constexpr std::uint16_t extendedMaxExponent = 0x7FFF;

// A normal encoding: exponent field 1 to 0x7FFE and the integer bit set.
constexpr bool isNormal(ExtendedReal a) noexcept {
  return static_cast<std::uint16_t>(a.biasedExponent() - 1) < extendedMaxExponent - 1 &&
         (a.significand >> 63) != 0;
}

ExtendedReal operator*(ExtendedReal a, ExtendedReal b) noexcept;  // FMUL
ExtendedReal operator/(ExtendedReal a, ExtendedReal b) noexcept;  // FDIV
ExtendedReal operator+(ExtendedReal a, ExtendedReal b) noexcept;  // FADD
ExtendedReal operator-(ExtendedReal a, ExtendedReal b) noexcept;  // FSUB

// FMUL and FDIV reporting to `unit`: this thread's float unit, fetched once (floatUnit()) by
// code that computes much, or a unit of the caller's own whose flags go nowhere else. Where
// the toolchain emulates thread-local storage, reaching the thread's unit is a library call,
// which costs more than the operation.
ExtendedReal multiply(ExtendedReal a, ExtendedReal b, FloatUnitState& unit) noexcept;
ExtendedReal divide(ExtendedReal a, ExtendedReal b, FloatUnitState& unit) noexcept;

// FCHS and FABS: only the sign bit changes; no flags.
constexpr ExtendedReal operator-(ExtendedReal a) noexcept {
  return ExtendedReal::fromBits(!a.isNegative(), a.biasedExponent(), a.significand);
}
constexpr ExtendedReal absolute(ExtendedReal a) noexcept {
  return ExtendedReal::fromBits(false, a.biasedExponent(), a.significand);
}

ExtendedReal extendedFromInt64(std::int64_t value) noexcept;  // FILD m64int: exact, no flags
// A nonzero unsigned 64-bit integer, exactly (normalized); no flags.
constexpr ExtendedReal extendedFromUint64(std::uint64_t value) noexcept {
  const int shift = std::countl_zero(value);
  return ExtendedReal::fromBits(
      false, static_cast<std::uint16_t>(63 - shift + extendedExponentBias), value << shift);
}
ExtendedReal roundToInteger(ExtendedReal a) noexcept;  // FRNDINT, ties to even

// FST m64real: the IEEE binary64 bits nearest to a (denormals, overflow to infinity). An
// extended denormal stores 0 with underflow and precision, never the denormal flag.
std::uint64_t toBinary64(ExtendedReal a) noexcept;
// FLD m64real: the double's value, exactly.
ExtendedReal fromBinary64(std::uint64_t bits) noexcept;

// FUCOM: numeric order; unordered when either is a NaN (invalid flag only for a
// signaling NaN or an unsupported encoding; the denormal flag for a denormal operand
// otherwise). -0 and +0 are equivalent.
std::partial_ordering compare(ExtendedReal a, ExtendedReal b) noexcept;
std::partial_ordering compare(ExtendedReal a, ExtendedReal b, FloatUnitState& unit) noexcept;

}  // namespace pumpcalc
