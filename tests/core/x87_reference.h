// The real x87 instructions, run on given operand bits, as the reference the software
// arithmetic is compared against. Each call clears the exception flags, loads control word
// 0x133F (64-bit precision, round to nearest, every exception masked), runs exactly one
// instruction on the operands and returns the result bits with the six exception flags the
// instruction set. The caller's control word is restored afterwards.
//
// Only available where the compiler is GCC-compatible and the target has an x87 (x86-64
// Linux natively, x86-64 Windows under Wine); elsewhere PUMPCALC_HAVE_X87_REFERENCE is 0.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/extended_real.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define PUMPCALC_HAVE_X87_REFERENCE 1
#else
#define PUMPCALC_HAVE_X87_REFERENCE 0
#endif

#if PUMPCALC_HAVE_X87_REFERENCE

namespace pumpcalc::x87 {

struct Result80 {
  ExtendedReal value;
  std::uint8_t flags;
};
struct Result64 {
  std::uint64_t bits;
  std::uint8_t flags;
};
// order: -1 less, 0 equal, 1 greater, 2 unordered.
struct CompareResult {
  int order;
  std::uint8_t flags;
};

inline constexpr std::uint16_t referenceControlWord = 0x133F;

namespace detail {

// The 10-byte memory image of an extended value (significand, then sign and exponent).
struct alignas(16) Tbyte {
  std::uint64_t significand;
  std::uint16_t signExponent;
};
inline Tbyte toTbyte(ExtendedReal v) { return {v.significand, v.signExponent}; }
inline ExtendedReal fromTbyte(Tbyte t) { return {t.significand, t.signExponent}; }

// The asm bodies below leave the register stack as they found it (empty), but say they
// clobber all of it so that the compiler keeps nothing of its own there.
#define PUMPCALC_X87_CLOBBERS \
  "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)", "memory"

// ST(0) = a, ST(1) = b; then "INSN %st(1), %st" computes ST(0) = a op b, with a as the
// destination operand. (The AT&T forms with %st as destination are not mnemonic-swapped.)
#define PUMPCALC_X87_BINARY(NAME, INSN)                           \
  inline Result80 NAME(ExtendedReal a, ExtendedReal b) {          \
    Tbyte ta = toTbyte(a), tb = toTbyte(b), tr{};                 \
    std::uint16_t cw = referenceControlWord, saved = 0, sw = 0;   \
    asm volatile(                                                 \
        "fnstcw %[saved]\n\t"                                     \
        "fnclex\n\t"                                              \
        "fldcw %[cw]\n\t"                                         \
        "fldt %[b]\n\t"                                           \
        "fldt %[a]\n\t" INSN                                      \
        " %%st(1), %%st\n\t"                                      \
        "fnstsw %[sw]\n\t"                                        \
        "fstpt %[r]\n\t"                                          \
        "fstp %%st(0)\n\t"                                        \
        "fldcw %[saved]"                                          \
        : [r] "=m"(tr), [sw] "=m"(sw), [saved] "=m"(saved)        \
        : [a] "m"(ta), [b] "m"(tb), [cw] "m"(cw)                  \
        : PUMPCALC_X87_CLOBBERS);                                 \
    return {fromTbyte(tr), static_cast<std::uint8_t>(sw & 0x3F)}; \
  }

PUMPCALC_X87_BINARY(multiply, "fmul")
PUMPCALC_X87_BINARY(divide, "fdiv")
PUMPCALC_X87_BINARY(add, "fadd")
PUMPCALC_X87_BINARY(subtract, "fsub")

#undef PUMPCALC_X87_BINARY

}  // namespace detail

using detail::add;
using detail::divide;
using detail::multiply;
using detail::subtract;

// FRNDINT.
inline Result80 roundToInteger(ExtendedReal a) {
  detail::Tbyte ta = detail::toTbyte(a), tr{};
  std::uint16_t cw = referenceControlWord, saved = 0, sw = 0;
  asm volatile(
      "fnstcw %[saved]\n\t"
      "fnclex\n\t"
      "fldcw %[cw]\n\t"
      "fldt %[a]\n\t"
      "frndint\n\t"
      "fnstsw %[sw]\n\t"
      "fstpt %[r]\n\t"
      "fldcw %[saved]"
      : [r] "=m"(tr), [sw] "=m"(sw), [saved] "=m"(saved)
      : [a] "m"(ta), [cw] "m"(cw)
      : PUMPCALC_X87_CLOBBERS);
  return {detail::fromTbyte(tr), static_cast<std::uint8_t>(sw & 0x3F)};
}

// FILD m64int.
inline Result80 fromInt64(std::int64_t value) {
  detail::Tbyte tr{};
  std::uint16_t cw = referenceControlWord, saved = 0, sw = 0;
  asm volatile(
      "fnstcw %[saved]\n\t"
      "fnclex\n\t"
      "fldcw %[cw]\n\t"
      "fildll %[v]\n\t"
      "fnstsw %[sw]\n\t"
      "fstpt %[r]\n\t"
      "fldcw %[saved]"
      : [r] "=m"(tr), [sw] "=m"(sw), [saved] "=m"(saved)
      : [v] "m"(value), [cw] "m"(cw)
      : PUMPCALC_X87_CLOBBERS);
  return {detail::fromTbyte(tr), static_cast<std::uint8_t>(sw & 0x3F)};
}

// FST m64real (as FSTP).
inline Result64 toBinary64(ExtendedReal a) {
  detail::Tbyte ta = detail::toTbyte(a);
  std::uint64_t r = 0;
  std::uint16_t cw = referenceControlWord, saved = 0, sw = 0;
  asm volatile(
      "fnstcw %[saved]\n\t"
      "fnclex\n\t"
      "fldcw %[cw]\n\t"
      "fldt %[a]\n\t"
      "fstpl %[r]\n\t"
      "fnstsw %[sw]\n\t"
      "fldcw %[saved]"
      : [r] "=m"(r), [sw] "=m"(sw), [saved] "=m"(saved)
      : [a] "m"(ta), [cw] "m"(cw)
      : PUMPCALC_X87_CLOBBERS);
  return {r, static_cast<std::uint8_t>(sw & 0x3F)};
}

// FLD m64real.
inline Result80 fromBinary64(std::uint64_t bits) {
  detail::Tbyte tr{};
  std::uint16_t cw = referenceControlWord, saved = 0, sw = 0;
  asm volatile(
      "fnstcw %[saved]\n\t"
      "fnclex\n\t"
      "fldcw %[cw]\n\t"
      "fldl %[v]\n\t"
      "fnstsw %[sw]\n\t"
      "fstpt %[r]\n\t"
      "fldcw %[saved]"
      : [r] "=m"(tr), [sw] "=m"(sw), [saved] "=m"(saved)
      : [v] "m"(bits), [cw] "m"(cw)
      : PUMPCALC_X87_CLOBBERS);
  return {detail::fromTbyte(tr), static_cast<std::uint8_t>(sw & 0x3F)};
}

// FUCOM ST(1) with ST(0) = a, ST(1) = b; the order is read from C3, C2, C0.
inline CompareResult compare(ExtendedReal a, ExtendedReal b) {
  detail::Tbyte ta = detail::toTbyte(a), tb = detail::toTbyte(b);
  std::uint16_t cw = referenceControlWord, saved = 0, sw = 0;
  asm volatile(
      "fnstcw %[saved]\n\t"
      "fnclex\n\t"
      "fldcw %[cw]\n\t"
      "fldt %[b]\n\t"
      "fldt %[a]\n\t"
      "fucom %%st(1)\n\t"
      "fnstsw %[sw]\n\t"
      "fstp %%st(0)\n\t"
      "fstp %%st(0)\n\t"
      "fldcw %[saved]"
      : [sw] "=m"(sw), [saved] "=m"(saved)
      : [a] "m"(ta), [b] "m"(tb), [cw] "m"(cw)
      : PUMPCALC_X87_CLOBBERS);
  const bool c0 = (sw & 0x0100) != 0, c2 = (sw & 0x0400) != 0, c3 = (sw & 0x4000) != 0;
  int order = 1;
  if (c3 && c2 && c0) {
    order = 2;
  } else if (c3) {
    order = 0;
  } else if (c0) {
    order = -1;
  }
  return {order, static_cast<std::uint8_t>(sw & 0x3F)};
}

#undef PUMPCALC_X87_CLOBBERS

}  // namespace pumpcalc::x87

#endif  // PUMPCALC_HAVE_X87_REFERENCE
