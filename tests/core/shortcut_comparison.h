// The shortcuts of the decimal conversions and of the rounding to a double checked against
// the plain sequence of ExtendedReal operations that they stand for (which the x87
// comparison checks against the hardware): toDecimalDigits and formatGeneral against
// scaleByPowerOfTen, roundToInteger, compare and division; tryTextToExtended against
// scaleByPowerOfTen of the digits' integer; roundToNormalDouble against toBinary64 and
// fromBinary64; InvariantDivisor against operator/. Generated values aim at the roundings
// the shortcuts decide: a product halfway between two 64-bit significands, a scaled value
// halfway between two integers, a value halfway between two doubles, a quotient near a tie. Shared
// by shortcut_test.cpp and the long extended_real_sweep.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/decimal_format.h"
#include "core/decimal_parse.h"
#include "core/double_rounding.h"
#include "core/float_unit.h"
#include "core/invariant_divisor.h"
#include "core/locale_numbers.h"
#include "core/powers_of_ten.h"
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
  std::uint64_t v =
      scaled.isNegative() || shift < 0 || shift > 63 ? 0 : scaled.significand >> shift;
  std::uint64_t unit = 1;
  for (int i = precision; i < 18; ++i) unit *= 10;
  std::uint64_t limit = 1;
  for (int i = 0; i < precision; ++i) limit *= 10;
  int count = 18;
  if (precision < 18) {
    v = (v + unit / 2) / unit;
    count = precision;
    if (v == limit) {
      v = 1;
      count = 1;
      ++exponent;
    }
  }
  while (count > 0 && v % 10 == 0) {
    v /= 10;
    --count;
  }
  if (count == 0) return result;
  for (int i = count - 1; i >= 0; --i, v /= 10) result.digits[i] = static_cast<char>('0' + v % 10);
  result.exponent = static_cast<std::int16_t>(exponent);
  result.negative = value.isNegative();
  return result;
}

// formatGeneral's text by its plain steps (exponentDigits 0), from plainDecimalDigits.
inline std::string plainGeneralText(ExtendedReal value, int precision, char separator) {
  const DecimalDigits d = plainDecimalDigits(value, precision);
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

// x through roundToNormalDouble, where it applies, against toBinary64 and fromBinary64.
inline bool matchesDoubleRounding(ExtendedReal x, std::FILE* out) {
  floatUnit() = {};
  ExtendedReal quick;
  if (!roundToNormalDouble(x, quick)) return floatUnit().flags == 0;
  const std::uint8_t quickFlags = floatUnit().flags;
  floatUnit() = {};
  const ExtendedReal plain = fromBinary64(toBinary64(x));
  if (quick == plain && quickFlags == floatUnit().flags) return true;
  std::fprintf(out,
               "double %04X:%016llX: %04X:%016llX flags %02X, expected %04X:%016llX flags %02X\n",
               x.signExponent, static_cast<unsigned long long>(x.significand), quick.signExponent,
               static_cast<unsigned long long>(quick.significand), quickFlags, plain.signExponent,
               static_cast<unsigned long long>(plain.significand), floatUnit().flags);
  return false;
}

// a ÷ b through InvariantDivisor, where it applies, against operator/.
inline bool matchesDivision(ExtendedReal a, ExtendedReal b, std::FILE* out) {
  floatUnit() = {};
  ExtendedReal quick;
  if (!InvariantDivisor(b).divide(a, quick)) return floatUnit().flags == 0;
  const std::uint8_t quickFlags = floatUnit().flags;
  floatUnit() = {};
  const ExtendedReal plain = a / b;
  if (quick == plain && quickFlags == floatUnit().flags) return true;
  std::fprintf(out,
               "divide %04X:%016llX by %04X:%016llX: %04X:%016llX flags %02X, expected "
               "%04X:%016llX flags %02X\n",
               a.signExponent, static_cast<unsigned long long>(a.significand), b.signExponent,
               static_cast<unsigned long long>(b.significand), quick.signExponent,
               static_cast<unsigned long long>(quick.significand), quickFlags, plain.signExponent,
               static_cast<unsigned long long>(plain.significand), floatUnit().flags);
  return false;
}

// `count` values through toDecimalDigits (precision 15 and 18) and formatGeneral (15 and
// 2 to 18), `count` texts through tryTextToExtended, `count` values, weighted to the edges
// of the doubles, through roundToNormalDouble and `count` quotients, weighted to ties and
// the ends of the range, through InvariantDivisor, each against its plain steps;
// mismatches one line each to `out`.
inline Summary compareShortcuts(std::uint64_t count, std::uint64_t seed, std::FILE* out) {
  const char savedSeparator = DecimalSeparatorChar;
  DecimalSeparatorChar = '.';
  CaseGenerator generator(seed);
  x87test::CaseGenerator doubles(seed), divisions(seed + 1);
  Summary summary;
  for (std::uint64_t i = 0; i < count && summary.failures < 20; ++i) {
    const ExtendedReal x = generator.value();
    for (int precision : {15, 18}) {
      floatUnit() = {};
      const DecimalDigits plain = plainDecimalDigits(x, precision);
      const std::uint8_t plainFlags = floatUnit().flags;
      floatUnit() = {};
      const DecimalDigits quick = toDecimalDigits(x, precision);
      ++summary.cases;
      if (quick.exponent != plain.exponent || quick.negative != plain.negative ||
          std::string(quick.digits) != plain.digits || floatUnit().flags != plainFlags) {
        ++summary.failures;
        std::fprintf(out, "digits %04X:%016llX precision %d: %s E%d, expected %s E%d\n",
                     x.signExponent, static_cast<unsigned long long>(x.significand), precision,
                     quick.digits, quick.exponent, plain.digits, plain.exponent);
      }
    }
    const int anyPrecision = static_cast<int>(2 + (x.significand >> 7) % 17);
    for (int precision : {15, anyPrecision}) {
      char text[formatBufferSize];
      floatUnit() = {};
      const std::string quick(text, formatGeneral(x, precision, 0, text));
      const std::string plain = plainGeneralText(x, precision, '.');
      ++summary.cases;
      if (quick != plain) {
        ++summary.failures;
        std::fprintf(out, "text %04X:%016llX precision %d: %s, expected %s\n", x.signExponent,
                     static_cast<unsigned long long>(x.significand), precision, quick.c_str(),
                     plain.c_str());
      }
    }
    ++summary.cases;
    if (!matchesDoubleRounding(doubles.next(x87test::Operation::toBinary64).a, out)) {
      ++summary.failures;
    }
    const x87test::Operands division = divisions.next(x87test::Operation::divide);
    ++summary.cases;
    if (!matchesDivision(division.a, division.b, out)) ++summary.failures;
    const std::uint64_t m = generator.integer();
    const int k = generator.fractionDigits();
    const std::string text = fixedPointText(m, k);
    ExtendedReal parsed;
    const bool accepted = tryTextToExtended(text, parsed);
    const ExtendedReal expected = plainScaledInteger(m, k);
    ++summary.cases;
    if (!accepted || parsed != expected) {
      ++summary.failures;
      std::fprintf(out, "parse %s: %04X:%016llX, expected %04X:%016llX\n", text.c_str(),
                   parsed.signExponent, static_cast<unsigned long long>(parsed.significand),
                   expected.signExponent, static_cast<unsigned long long>(expected.significand));
    }
  }
  floatUnit() = {};
  DecimalSeparatorChar = savedSeparator;
  return summary;
}

}  // namespace pumpcalc::shortcuttest
