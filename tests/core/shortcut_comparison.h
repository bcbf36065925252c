// The shortcuts of the decimal conversions, the rounding to a double and the division
// checked twice: against the plain sequence of ExtendedReal operations that they stand for,
// and against the independent reference (the host's x87 instructions, powers of ten from
// exact integers, the decimal rounding written out), which shares nothing with core/.
// toDecimalDigits and formatGeneral against scaling, rounding to an integer, compare and
// division; tryTextToExtended against the digit-by-digit accumulation and scaling;
// roundToNormalDouble against FST and FLD of a double; InvariantDivisor against FDIV.
// Generated values aim at the roundings the shortcuts decide: a product halfway between two
// 64-bit significands, a scaled value halfway between two integers, a value halfway between
// two doubles, a quotient near a tie. Shared by shortcut_test.cpp and the long
// extended_real_sweep.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "core/decimal_format.h"
#include "core/decimal_parse.h"
#include "core/double_rounding.h"
#include "core/float_unit.h"
#include "core/invariant_divisor.h"
#include "core/locale_numbers.h"
#include "core/powers_of_ten.h"
#include "tests/core/independent_reference.h"
#include "tests/core/x87_comparison.h"

namespace pumpcalc::shortcuttest {

// toDecimalDigits by its plain steps, every operation through the general arithmetic.
inline DecimalDigits plainDecimalDigits(ExtendedReal value, int precision) {
  DecimalDigits result;
  const std::uint16_t biased = value.biasedExponent();
  if (biased == 0 || biased == extendedMaxExponent) return toDecimalDigits(value, precision);
  int exponent = (((biased - extendedExponentBias) * 19728) >> 16) + 1;
  ExtendedReal scaled = roundToInteger(scaleByPowerOfTen(absolute(value), 18 - exponent));
  if (compare(scaled, PowersOfTenLow[18]) >= 0) {
    scaled = roundToInteger(scaled / PowersOfTenLow[1]);
    ++exponent;
  }
  const int shift = extendedExponentBias + 63 - scaled.biasedExponent();
  const std::uint64_t v =
      scaled.isNegative() || shift < 0 || shift > 63 ? 0 : scaled.significand >> shift;
  char eighteen[32];
  std::snprintf(eighteen, sizeof eighteen, "%018llu", static_cast<unsigned long long>(v));
  const std::string digits = independent::roundDigitsHalfUp(eighteen, precision, exponent);
  if (digits.empty()) return result;
  digits.copy(result.digits, digits.size());
  result.exponent = static_cast<std::int16_t>(exponent);
  result.negative = value.isNegative();
  return result;
}

// formatGeneral's text (exponentDigits 0) laid out from its digits.
inline std::string generalText(const DecimalDigits& d, int precision, char separator) {
  const std::string digits = d.digits;
  const int x = d.exponent, count = static_cast<int>(digits.size());
  std::string text = d.negative ? "-" : "";
  if (x == DecimalDigits::infinityExponent) return text + "INF";
  if (x == DecimalDigits::nanExponent) return "NAN";
  if (count == 0) return "0";
  if (x > precision || x < -3) {
    text += digits[0];
    if (count > 1) text += separator + digits.substr(1);
    return text + "E" + std::to_string(x - 1);
  }
  if (x > 0) {
    text += digits.substr(0, static_cast<std::size_t>(std::min(x, count)));
    if (count < x) return text + std::string(static_cast<std::size_t>(x - count), '0');
    return count > x ? text + separator + digits.substr(static_cast<std::size_t>(x)) : text;
  }
  return text + "0" + separator + std::string(static_cast<std::size_t>(-x), '0') + digits;
}

// m × 10^-k by the general scaling, as the parser computes it for the text of m with k
// fraction digits.
inline ExtendedReal plainScaledInteger(std::uint64_t m, int k) {
  floatUnit() = {ConversionControlWord, 0};
  const ExtendedReal value = scaleByPowerOfTen(extendedFromInt64(static_cast<std::int64_t>(m)), -k);
  floatUnit() = {};
  return value;
}

// The text of m with k fraction digits and "." as the separator: 12345, 2 is "123.45".
inline std::string fixedPointText(std::uint64_t m, int k) {
  const std::string digits = std::to_string(m);
  const auto fraction = static_cast<std::size_t>(k);
  std::string text;
  if (digits.size() <= fraction) {
    text.assign("0.").append(fraction - digits.size(), '0').append(digits);
  } else {
    const std::size_t whole = digits.size() - fraction;
    text.assign(digits, 0, whole).append(1, '.').append(digits, whole, fraction);
  }
  return text;
}

class CaseGenerator {
 public:
  explicit CaseGenerator(std::uint64_t seed) : rng_(seed) {}

  // A value whose decimal scaling lands on or near a rounding decision, or any normal value
  // of a magnitude from 10^-20 to 10^25.
  ExtendedReal value() {
    const int binaryExponent = rng_.between(-70, 85);
    const int scale = 18 - (((binaryExponent * 19728) >> 16) + 1);
    std::uint64_t significand = rng_.next() | (1ull << 63);
    if (scale >= 1 && scale <= 31) {
      const std::uint64_t power = PowersOfTenLow[static_cast<std::size_t>(scale)].significand;
      switch (rng_.below(3)) {
        case 0:
          significand = halfwayProductFactor(power);
          break;
        case 1:
          significand = halfIntegerFactor(power, binaryExponent, scale);
          break;
        default:
          break;
      }
      significand += static_cast<std::uint64_t>(rng_.between(-1, 1));
      significand |= 1ull << 63;
    }
    return ExtendedReal::fromBits(rng_.percent(50),
                                  static_cast<std::uint16_t>(binaryExponent + extendedExponentBias),
                                  significand);
  }

  // m with 1 to 19 digits below 2^63, and a count of fraction digits from 1 to 31.
  std::uint64_t integer() {
    std::uint64_t m = rng_.next() >> 1;
    const int digits = rng_.between(1, 19);
    std::uint64_t limit = 1;
    for (int i = 0; i < digits && i < 18; ++i) limit *= 10;
    if (digits < 19) m %= limit;
    return m != 0 ? m : 1;
  }
  int fractionDigits() { return rng_.between(1, 31); }

 private:
  // A significand s with s × power's low 64 bits 2^63 (or 2^62, for a product that is
  // shifted once): the 64-bit rounding of the product is a tie.
  std::uint64_t halfwayProductFactor(std::uint64_t power) {
    const int zeros = std::countr_zero(power);
    const std::uint64_t odd = power >> zeros;
    std::uint64_t inverse = odd;  // odd × inverse = 1 modulo 2^64, 3 bits more per step
    for (int i = 0; i < 5; ++i) inverse *= 2 - odd * inverse;
    const int target = rng_.percent(50) ? 63 : 62;
    const std::uint64_t low = (std::uint64_t{1} << (target - zeros)) * inverse;
    const std::uint64_t freeBits = zeros == 0 ? 0 : rng_.next() << (64 - zeros);
    return (low & (~0ull >> zeros)) | freeBits;
  }

  // A significand whose product with power, scaled, is about an integer plus 1/2.
  std::uint64_t halfIntegerFactor(std::uint64_t power, int binaryExponent, int scale) {
    const int productExponent = binaryExponent +
                                PowersOfTenLow[static_cast<std::size_t>(scale)].biasedExponent() -
                                extendedExponentBias + 1;
    const int fractionBits = 63 - productExponent;
    if (fractionBits < 1 || fractionBits > 62) return rng_.next();
    // A product significand with the bit below the integer part set and nothing under it.
    const std::uint64_t product =
        ((rng_.next() | (1ull << 63)) & (~0ull << fractionBits)) | (1ull << (fractionBits - 1));
    const unsigned __int128 wanted = static_cast<unsigned __int128>(product) << 64;
    std::uint64_t s = static_cast<std::uint64_t>(wanted / power);
    if (wanted / power > ~0ull) s = static_cast<std::uint64_t>((wanted >> 1) / power);
    return s;
  }

  x87test::Rng rng_;
};

struct Summary {
  std::uint64_t cases = 0;
  std::uint64_t failures = 0;
};

inline std::string hex(ExtendedReal x) {
  char text[24];
  std::snprintf(text, sizeof text, "%04X:%016llX", x.signExponent,
                static_cast<unsigned long long>(x.significand));
  return text;
}

// One result with its flags, as each side gives it.
struct Outcome {
  ExtendedReal value;
  std::uint8_t flags = 0;
  bool operator==(const Outcome&) const = default;
};

// The shortcut's outcome against each reference's; a line to `out` for each that differs.
inline bool matches(const char* what, const std::string& operands, const Outcome& quick,
                    std::initializer_list<std::pair<const char*, Outcome>> references,
                    std::FILE* out) {
  bool same = true;
  for (const auto& [name, expected] : references) {
    if (quick == expected) continue;
    same = false;
    std::fprintf(out, "%s %s: %s flags %02X, %s reference %s flags %02X\n", what, operands.c_str(),
                 hex(quick.value).c_str(), quick.flags, name, hex(expected.value).c_str(),
                 expected.flags);
  }
  return same;
}

// x through roundToNormalDouble, where it applies, against toBinary64 and fromBinary64, and
// against FST and FLD.
inline bool matchesDoubleRounding(ExtendedReal x, std::FILE* out) {
  floatUnit() = {};
  ExtendedReal rounded;
  if (!roundToNormalDouble(x, rounded)) return floatUnit().flags == 0;
  const Outcome quick{rounded, floatUnit().flags};
  floatUnit() = {};
  const Outcome plain{fromBinary64(toBinary64(x)), floatUnit().flags};
#if PUMPCALC_HAVE_X87_REFERENCE
  const x87::Result80 hardware = independent::throughDouble(x);
  return matches("double", hex(x), quick,
                 {{"plain", plain}, {"x87", {hardware.value, hardware.flags}}}, out);
#else
  return matches("double", hex(x), quick, {{"plain", plain}}, out);
#endif
}

// a ÷ b through InvariantDivisor, where it applies, against operator/ and against FDIV.
inline bool matchesDivision(ExtendedReal a, ExtendedReal b, std::FILE* out) {
  floatUnit() = {};
  ExtendedReal quotient;
  if (!InvariantDivisor(b).divide(a, quotient)) return floatUnit().flags == 0;
  const Outcome quick{quotient, floatUnit().flags};
  floatUnit() = {};
  const Outcome plain{a / b, floatUnit().flags};
#if PUMPCALC_HAVE_X87_REFERENCE
  const x87::Result80 hardware = x87::divide(a, b);
  return matches("divide", hex(a) + " by " + hex(b), quick,
                 {{"plain", plain}, {"x87", {hardware.value, hardware.flags}}}, out);
#else
  return matches("divide", hex(a) + " by " + hex(b), quick, {{"plain", plain}}, out);
#endif
}

// toDecimalDigits of x against its plain steps and against the independent reference:
// digits, exponent, sign and flags; formatGeneral's text against the texts laid out from
// the references' digits.
inline bool matchesDigits(ExtendedReal x, int precision, std::FILE* out) {
  floatUnit() = {};
  const DecimalDigits plain = plainDecimalDigits(x, precision);
  const std::uint8_t plainFlags = floatUnit().flags;
  floatUnit() = {};
  const DecimalDigits quick = toDecimalDigits(x, precision);
  const std::uint8_t quickFlags = floatUnit().flags;
  std::vector<std::pair<const char*, std::pair<DecimalDigits, std::uint8_t>>> references = {
      {"plain", {plain, plainFlags}}};
#if PUMPCALC_HAVE_X87_REFERENCE
  const independent::Digits exact = independent::decimalDigits(x, precision);
  DecimalDigits hardware;
  exact.digits.copy(hardware.digits, exact.digits.size());
  hardware.exponent = static_cast<std::int16_t>(exact.exponent);
  hardware.negative = exact.negative;
  references.push_back({"x87", {hardware, exact.flags}});
#endif
  floatUnit() = {};
  char buffer[formatBufferSize];
  const std::string text(buffer, formatGeneral(x, precision, 0, buffer));
  bool same = true;
  for (const auto& [name, reference] : references) {
    const DecimalDigits& d = reference.first;
    if (quick.exponent != d.exponent || quick.negative != d.negative ||
        std::string(quick.digits) != d.digits || quickFlags != reference.second) {
      same = false;
      std::fprintf(out,
                   "digits %s precision %d: %s E%d flags %02X, %s reference %s E%d flags %02X\n",
                   hex(x).c_str(), precision, quick.digits, quick.exponent, quickFlags, name,
                   d.digits, d.exponent, reference.second);
    }
    const std::string expected = generalText(d, precision, '.');
    if (text != expected) {
      same = false;
      std::fprintf(out, "text %s precision %d: %s, %s reference %s\n", hex(x).c_str(), precision,
                   text.c_str(), name, expected.c_str());
    }
  }
  return same;
}

// The text of m with k fraction digits through tryTextToExtended, against the general
// scaling of m and against the digit-by-digit reading with x87 instructions.
inline bool matchesParse(std::uint64_t m, int k, std::FILE* out) {
  const std::string text = fixedPointText(m, k);
  ExtendedReal parsed;
  const bool accepted = tryTextToExtended(text, parsed);
  const Outcome quick{accepted ? parsed : ExtendedReal::fromBits(true, 0x7FFF, 0), 0};
  const Outcome plain{plainScaledInteger(m, k), 0};
#if PUMPCALC_HAVE_X87_REFERENCE
  std::string digits = text;
  digits.erase(digits.find('.'), 1);
  return matches("parse", text, quick,
                 {{"plain", plain}, {"x87", {independent::parseDigits(digits, k), 0}}}, out);
#else
  return matches("parse", text, quick, {{"plain", plain}}, out);
#endif
}

// `count` values through toDecimalDigits (precision 15 and 18) and formatGeneral (15 and
// 2 to 18), `count` texts through tryTextToExtended, `count` values, weighted to the edges
// of the doubles, through roundToNormalDouble and `count` quotients, weighted to ties and
// the ends of the range, through InvariantDivisor, each against both references;
// mismatches one line each to `out`.
inline Summary compareShortcuts(std::uint64_t count, std::uint64_t seed, std::FILE* out) {
  const char savedSeparator = DecimalSeparatorChar;
  DecimalSeparatorChar = '.';
  CaseGenerator generator(seed);
  x87test::CaseGenerator doubles(seed), divisions(seed + 1);
  Summary summary;
  const auto tally = [&summary](bool same) {
    ++summary.cases;
    if (!same) ++summary.failures;
  };
  for (std::uint64_t i = 0; i < count && summary.failures < 20; ++i) {
    const ExtendedReal x = generator.value();
    const int anyPrecision = static_cast<int>(2 + (x.significand >> 7) % 17);
    for (int precision : {15, 18, anyPrecision}) tally(matchesDigits(x, precision, out));
    tally(matchesDoubleRounding(doubles.next(x87test::Operation::toBinary64).a, out));
    const x87test::Operands division = divisions.next(x87test::Operation::divide);
    tally(matchesDivision(division.a, division.b, out));
    const std::uint64_t m = generator.integer();
    tally(matchesParse(m, generator.fractionDigits(), out));
  }
  floatUnit() = {};
  DecimalSeparatorChar = savedSeparator;
  return summary;
}

}  // namespace pumpcalc::shortcuttest
