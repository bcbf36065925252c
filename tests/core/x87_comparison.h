// Bit-for-bit comparison of the software arithmetic (extended_real.h) with the real x87
// (x87_reference.h): operand generators aimed at the places where rounding, underflow,
// overflow and the special encodings are decided, and a runner that reports mismatches as
// one hex line each. Shared by extended_real_test.cpp and the long extended_real_sweep.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/extended_real.h"
#include "core/float_unit.h"
#include "tests/core/x87_reference.h"
#include "tests/support/rng.h"

namespace pumpcalc::x87test {

enum class Operation {
  multiply,
  divide,
  add,
  subtract,
  roundToInteger,
  toBinary64,
  fromBinary64,
  fromInt64,
  compare,
};

inline constexpr std::array allOperations = {
    Operation::multiply,     Operation::divide,         Operation::add,
    Operation::subtract,     Operation::roundToInteger, Operation::toBinary64,
    Operation::fromBinary64, Operation::fromInt64,      Operation::compare,
};

inline const char* operationName(Operation op) {
  static constexpr std::array<const char*, allOperations.size()> names = {
      "fmul", "fdiv", "fadd", "fsub", "frndint", "fst_m64", "fld_m64", "fild_m64", "fucom"};
  return names[static_cast<std::size_t>(op)];
}

// One operand set: a and b for the 80-bit operations, raw for FLD m64 / FILD m64.
struct Operands {
  ExtendedReal a{};
  ExtendedReal b{};
  std::uint64_t raw = 0;
};

// A result as bits: an 80-bit value (high = sign and exponent), a binary64 in low, or a
// comparison as -1/0/1/2 (2 = unordered) in low.
struct Outcome {
  std::uint64_t low = 0;
  std::uint16_t high = 0;
  std::uint8_t flags = 0;
  bool operator==(const Outcome&) const = default;
};

inline Outcome outcomeOf(ExtendedReal v, std::uint8_t flags) {
  return {v.significand, v.signExponent, flags};
}

inline int orderCode(std::partial_ordering o) {
  if (o == std::partial_ordering::less) return -1;
  if (o == std::partial_ordering::equivalent) return 0;
  if (o == std::partial_ordering::greater) return 1;
  return 2;
}

inline Outcome runSoftware(Operation op, const Operands& x) {
  floatUnit().flags = 0;
  Outcome r;
  switch (op) {
    case Operation::multiply:
      r = outcomeOf(x.a * x.b, 0);
      break;
    case Operation::divide:
      r = outcomeOf(x.a / x.b, 0);
      break;
    case Operation::add:
      r = outcomeOf(x.a + x.b, 0);
      break;
    case Operation::subtract:
      r = outcomeOf(x.a - x.b, 0);
      break;
    case Operation::roundToInteger:
      r = outcomeOf(roundToInteger(x.a), 0);
      break;
    case Operation::toBinary64:
      r.low = toBinary64(x.a);
      break;
    case Operation::fromBinary64:
      r = outcomeOf(fromBinary64(x.raw), 0);
      break;
    case Operation::fromInt64:
      r = outcomeOf(extendedFromInt64(static_cast<std::int64_t>(x.raw)), 0);
      break;
    case Operation::compare:
      r.low = static_cast<std::uint64_t>(orderCode(compare(x.a, x.b)));
      break;
  }
  r.flags = floatUnit().flags;
  return r;
}

// "fmul a=3FFF:8000000000000000 b=4000:C000000000000000 expected=4001:C000000000000000
// flags=00 actual=...", all on one line; a comparison result shows as 0 (equal), 1 (greater),
// FFFFFFFFFFFFFFFF (less) or 2 (unordered).
inline std::string describeMismatch(Operation op, const Operands& x, const Outcome& expected,
                                    const Outcome& actual) {
  const auto hex80 = [](std::uint16_t high, std::uint64_t low) {
    char text[32];
    std::snprintf(text, sizeof text, "%04X:%016llX", static_cast<unsigned>(high),
                  static_cast<unsigned long long>(low));
    return std::string(text);
  };
  const auto result = [&](const Outcome& o) {
    char flags[16];
    std::snprintf(flags, sizeof flags, " flags=%02X", static_cast<unsigned>(o.flags));
    return hex80(o.high, o.low) + flags;
  };
  std::string line = operationName(op);
  if (op == Operation::fromBinary64 || op == Operation::fromInt64) {
    line += " raw=" + hex80(0, x.raw).substr(5);
  } else {
    line += " a=" + hex80(x.a.signExponent, x.a.significand);
    if (op != Operation::roundToInteger && op != Operation::toBinary64) {
      line += " b=" + hex80(x.b.signExponent, x.b.significand);
    }
  }
  return line + " expected=" + result(expected) + " actual=" + result(actual);
}

using test::Rng;

constexpr int bias = extendedExponentBias;

// Biased exponents where the behaviour of some operation changes.
inline constexpr std::array<int, 34> boundaryExponents = {
    0,           1,           2,                   // denormals, smallest normal
    63,          64,          65,                  // a factor of 2^-63 away from the denormal range
    8191,        8192,        24574,       24575,  // half range: squares reach the ends
    bias - 1075, bias - 1074, bias - 1073,         // binary64 smallest denormal and half of it
    bias - 1023, bias - 1022, bias - 1021,         // binary64 smallest normal
    bias + 1022, bias + 1023, bias + 1024,         // binary64 largest binade and overflow
    bias - 2,    bias - 1,    bias,        bias + 1,   // around 1 (FRNDINT 0.5 and 1.5)
    bias + 61,   bias + 62,   bias + 63,   bias + 64,  // FRNDINT: last binades with fractions
    0x7FFC,      0x7FFD,      0x7FFE,      0x7FFF,     // largest finite, infinities and NaNs
    bias - 64,   bias - 65,                            // below the last bit of 1.0
};

// Significands: exact powers, all ones (rounds up into the next binade), halfway and
// near-halfway patterns for both the 80-bit and the binary64 rounding positions, a clear
// integer bit (denormals, unnormals, pseudo-NaNs) and a few fixed random values.
inline constexpr std::array<std::uint64_t, 16> boundarySignificands = {
    0x8000'0000'0000'0000u, 0xFFFF'FFFF'FFFF'FFFFu, 0x8000'0000'0000'0001u, 0xC000'0000'0000'0000u,
    0x8000'0000'0000'0400u, 0x8000'0000'0000'03FFu, 0x8000'0000'0000'0C00u, 0xFFFF'FFFF'FFFF'F800u,
    0x7FFF'FFFF'FFFF'FFFFu, 0x0000'0000'0000'0001u, 0x4000'0000'0000'0000u, 0x0000'0000'0000'0000u,
    0xC90F'DAA2'2168'C234u, 0xB504'F333'F9DE'6484u, 0x8765'4321'0FED'CBA9u, 0xAAAA'AAAA'AAAA'AAABu,
};

// Every (sign, exponent, significand) combination of the two tables.
inline std::vector<ExtendedReal> boundaryOperands() {
  std::vector<ExtendedReal> values;
  for (int sign = 0; sign < 2; ++sign) {
    for (int exponent : boundaryExponents) {
      for (std::uint64_t significand : boundarySignificands) {
        values.push_back(
            ExtendedReal::fromBits(sign != 0, static_cast<std::uint16_t>(exponent), significand));
      }
    }
  }
  return values;
}

// Random operands weighted toward the cases that are easy to get wrong.
class CaseGenerator {
 public:
  explicit CaseGenerator(std::uint64_t seed) : rng_(seed) {}

  Operands next(Operation op) {
    switch (op) {
      case Operation::multiply:
        return multiplyCase();
      case Operation::divide:
        return divideCase();
      case Operation::add:
      case Operation::subtract:
        return addCase(op == Operation::subtract);
      case Operation::roundToInteger:
        return {roundCase(), {}, 0};
      case Operation::toBinary64:
        return {storeCase(), {}, 0};
      case Operation::fromBinary64:
        return {{}, {}, loadCase()};
      case Operation::fromInt64:
        return {{}, {}, integerCase()};
      case Operation::compare:
        return compareCase();
    }
    return {};
  }

 private:
  static constexpr std::uint64_t integerBit = 1ull << 63;

  // Bit patterns: uniform, runs of ones and zeros, sparse, dense, and halfway (a one followed
  // by zeros) or just off halfway at a random position.
  std::uint64_t pattern() {
    const int p = rng_.between(0, 62);
    switch (rng_.below(8)) {
      case 0:
        return ~0ull << rng_.below(64);
      case 1:
        return ~0ull >> rng_.below(64);
      case 2:
        return (1ull << rng_.below(64)) | (1ull << rng_.below(64));
      case 3:
        return ~((1ull << rng_.below(64)) | (1ull << rng_.below(64)));
      case 4:
        return (rng_.next() & (~0ull << p << 1)) | (1ull << p);
      case 5:
        return ((rng_.next() & (~0ull << p << 1)) | (1ull << p)) + (rng_.percent(50) ? 1 : -1);
      default:
        return rng_.next();
    }
  }

  std::uint64_t normalSignificand() { return pattern() | integerBit; }

  int boundaryExponent() {
    const int base = boundaryExponents[rng_.below(boundaryExponents.size())];
    return base + (rng_.percent(80) ? rng_.between(-3, 3) : rng_.between(-70, 70));
  }

  static std::uint16_t clampNormal(int exponent) {
    return static_cast<std::uint16_t>(exponent < 1 ? 1 : exponent > 0x7FFE ? 0x7FFE : exponent);
  }

  ExtendedReal normal(int exponent) {
    return ExtendedReal::fromBits(rng_.percent(50), clampNormal(exponent), normalSignificand());
  }

  ExtendedReal normal() {
    return normal(rng_.percent(50) ? rng_.between(1, 0x7FFE) : boundaryExponent());
  }

  ExtendedReal operand() {
    const bool sign = rng_.percent(50);
    const auto bits = [&](int exponent, std::uint64_t significand) {
      return ExtendedReal::fromBits(sign, static_cast<std::uint16_t>(exponent), significand);
    };
    const int kind = rng_.between(0, 99);
    if (kind < 78) return normal();
    if (kind < 85) {  // denormal
      const std::uint64_t s = pattern() >> rng_.between(1, 63);
      return bits(0, s != 0 ? s : 1);
    }
    if (kind < 86) return bits(0, normalSignificand());  // pseudo-denormal
    if (kind < 89) return bits(0, 0);
    if (kind < 92) return bits(0x7FFF, integerBit);
    if (kind < 95) return bits(0x7FFF, integerBit | (1ull << 62) | (pattern() >> 2));
    if (kind < 97) {  // signaling NaN
      const std::uint64_t payload = pattern() >> 2;
      return bits(0x7FFF, integerBit | (payload != 0 ? payload : 1));
    }
    if (kind < 99) {  // unnormal, pseudo-zero, pseudo-infinity, pseudo-NaN
      const int exponent = rng_.percent(50) ? 0x7FFF : rng_.between(1, 0x7FFE);
      return bits(exponent, rng_.percent(10) ? 0 : pattern() & ~integerBit);
    }
    return ExtendedReal{rng_.next(), static_cast<std::uint16_t>(rng_.next())};
  }

  // The exponent a second factor needs for a product (or quotient) near a range edge: deep
  // underflow, the denormal range, the smallest normal, or overflow.
  int edgeTarget() {
    switch (rng_.below(4)) {
      case 0:
        return rng_.between(-70, 2);
      case 1:
        return rng_.between(-3, 3);
      case 2:
        return rng_.between(0x7FFE - 3, 0x7FFE + 3);
      default:
        return rng_.between(1, 0x7FFE);
    }
  }

  static std::uint64_t inverseMod64(std::uint64_t odd) {
    std::uint64_t x = odd;  // correct to 3 bits; each step doubles that
    for (int i = 0; i < 5; ++i) x *= 2 - odd * x;
    return x;
  }

  // a * b whose low 64 bits are exactly target (a one at some position, maybe +-1 unit of a's
  // trailing zeros): the product is exactly halfway, or just off it, at some rounding position.
  void halfwayFactors(std::uint64_t& a, std::uint64_t& b) {
    const int k = rng_.between(1, 40);  // trailing zeros of a
    a = (rng_.next() | integerBit | (1ull << k)) & (~0ull << k);
    const int p = rng_.between(k, 63);
    std::uint64_t target = 1ull << p;
    if (rng_.percent(30)) target += rng_.percent(50) ? (1ull << k) : -(1ull << k);
    const std::uint64_t low = ((target >> k) * inverseMod64(a >> k)) & (~0ull >> k);
    b = low | (rng_.next() << (64 - k)) | integerBit;
  }

  // b as a copy of a, perhaps negated or nudged: equal NaN payloads of opposite signs, x - x,
  // x / x and the like.
  Operands twinCase() {
    const ExtendedReal a = operand();
    ExtendedReal b = a;
    switch (rng_.below(4)) {
      case 0:
        b.significand += static_cast<std::uint64_t>(rng_.between(-1, 1));
        break;
      case 1:
        b.signExponent ^= 0x8000;
        break;
      case 2:
        b.signExponent = static_cast<std::uint16_t>(b.signExponent + rng_.between(-1, 1));
        break;
      default:
        break;
    }
    return {a, b, 0};
  }

  Operands multiplyCase() {
    const int mode = rng_.between(0, 99);
    if (mode < 5) return twinCase();
    if (mode < 40) return {operand(), operand(), 0};
    ExtendedReal a = normal(), b = normal();
    if (mode < 50) {
      // A product a hair below a power of two, put just under the smallest normal or the
      // overflow threshold: whether it rounds up into the next binade decides tininess
      // (after rounding) and overflow.
      b.significand = static_cast<std::uint64_t>(((static_cast<unsigned __int128>(1) << 127) - 1) /
                                                 a.significand) -
                      static_cast<std::uint64_t>(rng_.between(0, 2));
      b.significand |= integerBit;
      const int target = rng_.percent(50) ? rng_.between(-1, 2) : 0x7FFF + rng_.between(-1, 1);
      b.signExponent = static_cast<std::uint16_t>((b.signExponent & 0x8000) |
                                                  clampNormal(target - a.biasedExponent() + bias));
      return {a, b, 0};
    }
    if (mode < 75) halfwayFactors(a.significand, b.significand);
    if (rng_.percent(70)) {
      b.signExponent = static_cast<std::uint16_t>(
          (b.signExponent & 0x8000) | clampNormal(edgeTarget() - a.biasedExponent() + bias));
    }
    return {a, b, 0};
  }

  Operands divideCase() {
    const int mode = rng_.between(0, 99);
    if (mode < 5) return twinCase();
    if (mode < 40) return {operand(), operand(), 0};
    ExtendedReal a = normal(), b = normal();
    if (mode < 70) {
      // a = (q + 1/2) * b, truncated and nudged: quotients within a hair of halfway.
      const std::uint64_t q = normalSignificand();
      const unsigned __int128 n = static_cast<unsigned __int128>(q) * b.significand +
                                  (b.significand >> 1) + static_cast<unsigned>(rng_.between(0, 2));
      a.significand = (n >> 127) != 0 ? static_cast<std::uint64_t>(n >> 64)
                                      : static_cast<std::uint64_t>(n >> 63);
      a.significand += static_cast<std::uint64_t>(rng_.between(-1, 1));
      a.significand |= integerBit;
    } else if (mode < 80) {
      // A short quotient times a short divisor: an exact division.
      const std::uint64_t q = (rng_.next() >> 32) | 1, d = (rng_.next() >> 33) | (1ull << 30);
      const std::uint64_t n = q * d;
      a.significand = n << std::countl_zero(n);
      b.significand = d << std::countl_zero(d);
    }
    if (rng_.percent(70)) {
      b.signExponent = static_cast<std::uint16_t>(
          (b.signExponent & 0x8000) | clampNormal(a.biasedExponent() - edgeTarget() + bias));
    }
    return {a, b, 0};
  }

  Operands addCase(bool subtract) {
    const int mode = rng_.between(0, 99);
    if (mode < 5) return twinCase();
    if (mode < 40) return {operand(), operand(), 0};
    ExtendedReal a = rng_.percent(90) ? normal() : operand();
    ExtendedReal b = normal(a.biasedExponent() +
                            (rng_.percent(70) ? rng_.between(-3, 3) : rng_.between(-70, 70)));
    if (mode < 65) {
      // Near cancellation: |b| within a few units of |a|, with the sign that subtracts.
      b.signExponent = a.signExponent;
      b.significand = a.significand + static_cast<std::uint64_t>(rng_.between(-4, 4));
      if (b.significand < integerBit) b.significand = a.significand;
      if (!subtract) b.signExponent ^= 0x8000;
      if (rng_.percent(30)) b.signExponent ^= 0x8000;
    }
    return {a, b, 0};
  }

  ExtendedReal roundCase() {
    if (rng_.percent(40)) return operand();
    return normal(bias + rng_.between(-3, 65));
  }

  ExtendedReal storeCase() {
    if (rng_.percent(30)) return operand();
    static constexpr std::array<int, 4> edges = {-1075, -1022, 1023, -1075 - 64};
    const int edge = edges[rng_.below(edges.size())];
    return normal(bias + edge + rng_.between(-3, 3) +
                  (rng_.percent(30) ? rng_.between(-60, 60) : 0));
  }

  // Binary64 bits: zeros and denormals, infinities and NaNs, the lowest binades, any.
  std::uint64_t loadCase() {
    const std::uint64_t sign = rng_.percent(50) ? 1ull << 63 : 0;
    const int kind = rng_.between(0, 4);
    const int exponent = kind == 0 ? 0 : kind == 1 ? 0x7FF : rng_.between(1, kind == 2 ? 3 : 0x7FE);
    const std::uint64_t fraction = rng_.percent(10) ? 0 : pattern() >> 12;
    return sign | (static_cast<std::uint64_t>(exponent) << 52) | fraction;
  }

  std::uint64_t integerCase() {
    if (rng_.percent(5)) {
      static constexpr std::array<std::uint64_t, 5> edges = {0, 1, ~0ull, 1ull << 63, ~0ull >> 1};
      return edges[rng_.below(edges.size())];
    }
    const std::uint64_t magnitude = pattern() >> rng_.below(64);
    return rng_.percent(50) ? magnitude : ~magnitude + 1;
  }

  Operands compareCase() {
    return rng_.percent(40) ? Operands{operand(), operand(), 0} : twinCase();
  }

  Rng rng_;
};

#if PUMPCALC_HAVE_X87_REFERENCE

inline Outcome runHardware(Operation op, const Operands& x) {
  const auto of80 = [](x87::Result80 h) { return outcomeOf(h.value, h.flags); };
  switch (op) {
    case Operation::multiply:
      return of80(x87::multiply(x.a, x.b));
    case Operation::divide:
      return of80(x87::divide(x.a, x.b));
    case Operation::add:
      return of80(x87::add(x.a, x.b));
    case Operation::subtract:
      return of80(x87::subtract(x.a, x.b));
    case Operation::roundToInteger:
      return of80(x87::roundToInteger(x.a));
    case Operation::toBinary64: {
      const auto h = x87::toBinary64(x.a);
      return {h.bits, 0, h.flags};
    }
    case Operation::fromBinary64:
      return of80(x87::fromBinary64(x.raw));
    case Operation::fromInt64:
      return of80(x87::fromInt64(static_cast<std::int64_t>(x.raw)));
    case Operation::compare: {
      const auto h = x87::compare(x.a, x.b);
      return {static_cast<std::uint64_t>(h.order), 0, h.flags};
    }
  }
  return {};
}

struct RunSummary {
  std::uint64_t cases = 0;
  std::uint64_t failures = 0;
};

// One case on both sides; on a mismatch, its one-line description goes to `out`.
inline bool matchesHardware(Operation op, const Operands& x, std::FILE* out) {
  const Outcome expected = runHardware(op, x), actual = runSoftware(op, x);
  if (expected == actual) return true;
  std::fprintf(out, "%s\n", describeMismatch(op, x, expected, actual).c_str());
  return false;
}

// Runs `count` generated cases of `op` from `seed` on both sides, printing each mismatch as
// one line to `out`; stops early after `maxFailures` mismatches.
inline RunSummary compareRandomCases(Operation op, std::uint64_t count, std::uint64_t seed,
                                     std::uint64_t maxFailures, std::FILE* out) {
  CaseGenerator generator(seed);
  RunSummary summary;
  for (; summary.cases < count && summary.failures < maxFailures; ++summary.cases) {
    if (!matchesHardware(op, generator.next(op), out)) ++summary.failures;
  }
  return summary;
}

#endif  // PUMPCALC_HAVE_X87_REFERENCE

}  // namespace pumpcalc::x87test
