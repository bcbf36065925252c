// The x87's own rules for the cases IEEE 754 leaves open or that only its 80-bit format has,
// as observed on the hardware with every exception masked. Everything the software arithmetic
// does differently from a textbook IEEE implementation is decided here; extended_real.cpp
// only asks.
#pragma once

#include <cstdint>
#include <optional>

#include "core/extended_real.h"
#include "core/float_unit.h"

namespace pumpcalc::x87rules {

// What an 80-bit pattern means to the x87.
enum class Encoding : std::uint8_t {
  zero,
  // Exponent field 0 with a nonzero significand. This includes the pseudo-denormals (integer
  // bit set), which the x87 accepts as operands: they raise the denormal-operand flag like
  // any denormal and are read with exponent field 1, so they are worth what their bits say.
  denormal,
  normal,
  infinity,
  quietNaN,
  signalingNaN,
  // Patterns the 387 and later reject: unnormals and pseudo-zeros (exponent 1..0x7FFE with
  // the integer bit clear), pseudo-infinities and pseudo-NaNs (exponent 0x7FFF with the
  // integer bit clear). As an operand any of them is an invalid operation whose masked
  // response is the default NaN, ahead of every other rule (even a NaN in the other operand).
  unsupported,
};

constexpr Encoding classify(ExtendedReal a) noexcept {
  const bool integerBit = (a.significand >> 63) != 0;
  const std::uint64_t fraction = a.significand & 0x7FFF'FFFF'FFFF'FFFFu;
  switch (a.biasedExponent()) {
    case 0:
      return a.significand == 0 ? Encoding::zero : Encoding::denormal;
    case extendedMaxExponent:
      if (!integerBit) return Encoding::unsupported;
      if (fraction == 0) return Encoding::infinity;
      return (fraction >> 62) != 0 ? Encoding::quietNaN : Encoding::signalingNaN;
    default:
      return integerBit ? Encoding::normal : Encoding::unsupported;
  }
}

constexpr bool isNaN(Encoding e) noexcept {
  return e == Encoding::quietNaN || e == Encoding::signalingNaN;
}

// An exponent field of 0 is read as 1: denormals and pseudo-denormals share the smallest
// normal exponent, so a pseudo-denormal equals the normal number with the same significand.
inline constexpr int denormalBiasedExponent = 1;

// The masked response to an invalid operation: the "real indefinite", a negative quiet NaN
// with an empty payload.
inline constexpr ExtendedReal defaultNaN =
    ExtendedReal::fromBits(true, extendedMaxExponent, 0xC000'0000'0000'0000u);
inline constexpr std::uint64_t defaultNaNBinary64 = 0xFFF8'0000'0000'0000u;

inline constexpr std::uint64_t quietBit = 0x4000'0000'0000'0000u;

// Tininess is detected after rounding: a result is tiny only if, rounded to the destination's
// precision with an unbounded exponent, it is still below the smallest normal. (A result just
// under the smallest normal that rounds up to it is not tiny.) This holds for the 80-bit
// results of arithmetic and for FST to binary64 alike.
inline constexpr bool tininessAfterRounding = true;
// With underflow masked, the underflow flag is raised only for a tiny result that is also
// inexact; an exactly representable denormal result raises nothing.
inline constexpr bool underflowNeedsInexact = true;

// A result together with the flags its rule raises.
struct Outcome {
  ExtendedReal value;
  std::uint8_t flags;
};

// NaN propagation for a two-operand arithmetic instruction (FADD, FSUB, FMUL, FDIV) where at
// least one operand is a NaN or unsupported; nullopt when neither is. Unsupported operands win
// and give the default NaN. Otherwise the result is the NaN with the larger significand,
// compared as stored (so a quiet NaN beats a signaling one, whose quiet bit is clear); when
// both significands are equal the result is positive unless both are negative. The result is
// quieted, keeps its sign and payload, and a signaling NaN anywhere raises invalid. A NaN
// operand suppresses the denormal-operand flag of the other operand.
constexpr std::optional<Outcome> propagateNaN(ExtendedReal a, Encoding ea, ExtendedReal b,
                                              Encoding eb) noexcept {
  if (ea == Encoding::unsupported || eb == Encoding::unsupported) {
    return Outcome{defaultNaN, flagInvalid};
  }
  if (!isNaN(ea) && !isNaN(eb)) return std::nullopt;
  const std::uint8_t flags =
      (ea == Encoding::signalingNaN || eb == Encoding::signalingNaN) ? flagInvalid : 0;
  ExtendedReal chosen = isNaN(ea) ? a : b;
  if (isNaN(ea) && isNaN(eb)) {
    if (b.significand > a.significand) {
      chosen = b;
    } else if (b.significand == a.significand) {
      // Both negative keeps the sign; else positive.
      chosen = ExtendedReal::fromBits(a.isNegative() && b.isNegative(), chosen.biasedExponent(),
                                      chosen.significand);
    }
  }
  chosen.significand |= quietBit;
  return Outcome{chosen, flags};
}

// The same for a one-operand instruction (FRNDINT): nullopt unless the operand is a NaN or
// unsupported.
constexpr std::optional<Outcome> propagateNaN(ExtendedReal a, Encoding ea) noexcept {
  return propagateNaN(a, ea, a, ea);
}

// The denormal-operand flag: raised when an operand is a denormal or pseudo-denormal and the
// instruction goes on to use the operands' values, even when the result is an infinity or a
// zero that did not need them (denormal * 0, denormal / infinity, infinity + denormal). It is
// not raised when a NaN or unsupported operand decides the result (propagateNaN), nor by a
// division of a nonzero number by zero, which reports only the zero-divide.
constexpr std::uint8_t denormalOperandFlags(Encoding ea, Encoding eb) noexcept {
  return (ea == Encoding::denormal || eb == Encoding::denormal) ? flagDenormal : 0;
}
inline constexpr bool zeroDivideReportsDenormalOperand = false;

// FST m64real does not raise the denormal-operand flag for an 80-bit denormal source: such a
// value is far below the binary64 range, and only underflow and precision are reported.
// FLD m64real does raise it for a binary64 denormal.
inline constexpr bool storeBinary64ReportsDenormalOperand = false;
inline constexpr bool loadBinary64ReportsDenormalOperand = true;

// FST m64real of a NaN keeps the sign and the top 51 payload bits below the quiet bit, and sets
// the quiet bit (invalid if it was signaling). An unsupported encoding stores the default NaN
// and raises invalid.
constexpr std::uint64_t binary64FromNaN(ExtendedReal nan) noexcept {
  const std::uint64_t sign = nan.isNegative() ? 1ull << 63 : 0;
  return sign | 0x7FF8'0000'0000'0000u | ((nan.significand >> 11) & 0x0007'FFFF'FFFF'FFFFu);
}

// FLD m64real of a NaN: the payload goes to the top of the 63 fraction bits, and a signaling
// NaN is quieted (raising invalid).
constexpr ExtendedReal extendedFromBinary64NaN(std::uint64_t bits) noexcept {
  return ExtendedReal::fromBits((bits >> 63) != 0, extendedMaxExponent,
                                (1ull << 63) | quietBit | (bits << 11));
}

// FUCOM: any NaN compares unordered; only a signaling NaN or an unsupported encoding raises
// invalid. A denormal operand raises the denormal-operand flag unless a NaN or unsupported
// operand made the comparison unordered.
constexpr std::uint8_t unorderedCompareFlags(Encoding ea, Encoding eb) noexcept {
  const auto raisesInvalid = [](Encoding e) {
    return e == Encoding::signalingNaN || e == Encoding::unsupported;
  };
  return (raisesInvalid(ea) || raisesInvalid(eb)) ? flagInvalid : 0;
}

}  // namespace pumpcalc::x87rules
