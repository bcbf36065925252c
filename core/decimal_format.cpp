#include "core/decimal_format.h"

#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "core/float_unit.h"
#include "core/locale_numbers.h"
#include "core/nearest_even.h"
#include "core/powers_of_ten.h"

namespace pumpcalc {
namespace {

constexpr int maxDigits = 18;

// The integer value of a non-negative integral ExtendedReal below 2^64; 0 for anything
// that is not such a value (only reachable through unsupported encodings).
std::uint64_t integerValue(ExtendedReal x) noexcept {
  const int shift = extendedExponentBias + 63 - x.biasedExponent();
  if (x.isNegative() || shift < 0 || shift > 63) return 0;
  return x.significand >> shift;
}

// The scaling to an integer for the common magnitudes: when the scale 18 - exponent lies in
// 1..31, scaleByPowerOfTen is the one multiplication by PowersOfTenLow[scale], and the product
// is a normal number below 2^64. This does that multiplication (rounded to 64 bits, ties to even)
// and the FRNDINT after it on integers, with the same bits and the same precision flag as
// the two operations. Returns false, having raised nothing, where it does not apply: the
// caller then takes the general steps.
bool scaleToIntegerFast(ExtendedReal magnitude, int scale, std::uint64_t& integer,
                        FloatUnitState& unit) noexcept {
  if (scale < 1 || scale > 31 || (magnitude.significand >> 63) == 0) return false;
  const ExtendedReal power = PowersOfTenLow[static_cast<std::size_t>(scale)];
  const unsigned __int128 product =
      static_cast<unsigned __int128>(magnitude.significand) * power.significand;
  std::uint64_t high = static_cast<std::uint64_t>(product >> 64);
  std::uint64_t low = static_cast<std::uint64_t>(product);
  // Normalized: shifted once when the product is below 2. The value is then
  // high × 2^(exponent - 63) once rounded.
  const unsigned shifted = static_cast<unsigned>(~high >> 63);
  high = (high << shifted) | ((low >> 63) & shifted);
  low <<= shifted;
  int exponent = magnitude.biasedExponent() + power.biasedExponent() - 2 * extendedExponentBias +
                 1 - static_cast<int>(shifted);
  // Only integers of 1 to 63 bits with a fraction to round take this path.
  if (exponent < 0 || exponent > 62) return false;
  constexpr std::uint64_t halfway = 1ull << 63;
  high += roundsUp(low, halfway, high);
  if (high == 0) {  // all ones rounded up: the next binade
    high = halfway;
    if (++exponent > 62) return false;
  }
  const int shift = 63 - exponent;
  const std::uint64_t fraction = high & ((1ull << shift) - 1);
  const std::uint64_t whole = high >> shift;
  integer = whole + roundsUp(fraction, 1ull << (shift - 1), whole);
  unit.flags |= static_cast<std::uint8_t>(((low | fraction) != 0) * flagPrecision);
  return true;
}

constexpr std::uint64_t powersOfTen[19] = {1,
                                           10,
                                           100,
                                           1000,
                                           10000,
                                           100000,
                                           1000000,
                                           10000000,
                                           100000000,
                                           1000000000,
                                           10000000000,
                                           100000000000,
                                           1000000000000,
                                           10000000000000,
                                           100000000000000,
                                           1000000000000000,
                                           10000000000000000,
                                           100000000000000000,
                                           1000000000000000000};

// roundToInteger(x / 10) for an integer x from 10^18 to 2^63, with the bits and the precision
// flag of that FDIV and FRNDINT: the quotient q + r/10 (q = x div 10) rounded to 64 bits,
// which leaves as many bits after the point as q's width falls short of 64, then rounded to
// an integer, each time to nearest, ties to even.
std::uint64_t tenthToInteger(std::uint64_t x, FloatUnitState& unit) noexcept {
  const std::uint64_t q = x / 10, r = x % 10;
  const int fractionBits = std::countl_zero(q);  // 4 to 7 here
  const std::uint64_t rest = r << fractionBits;
  // rest % 10 is even: the division is never a tie. No carry: rest / 10 < 2^fractionBits - 1.
  const std::uint64_t significand =
      (q << fractionBits) + rest / 10 + static_cast<std::uint64_t>(rest % 10 > 5);
  const std::uint64_t fraction = significand & ((1ull << fractionBits) - 1);
  const std::uint64_t whole = significand >> fractionBits;
  unit.flags |= static_cast<std::uint8_t>(((rest % 10 | fraction) != 0) * flagPrecision);
  return whole + roundsUp(fraction, 1ull << (fractionBits - 1), whole);
}

// The 18-digit integer rounded half-up to `precision` digits, with a constant divisor each.
template <std::size_t precision>
std::uint64_t halfUpTo(std::uint64_t v) noexcept {
  constexpr std::uint64_t unit = powersOfTen[maxDigits - precision];
  return (v + unit / 2) / unit;
}
template <std::size_t... precision>
constexpr auto halfUpFunctions(std::index_sequence<precision...>) {
  return std::array<std::uint64_t (*)(std::uint64_t) noexcept, sizeof...(precision)>{
      &halfUpTo<precision>...};
}
constexpr auto halfUp = halfUpFunctions(std::make_index_sequence<maxDigits>());

// The two-digit groups "00" to "99", so that digits are written two per division.
constexpr char digitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The `count` (at most 8) decimal digits of v, leading zeros included.
void writeShort(std::uint32_t v, int count, char* out) noexcept {
  out += count;
  for (; count >= 2; count -= 2) {
    const std::uint32_t rest = v / 100;
    out -= 2;
    std::memcpy(out, digitPairs + 2 * (v - rest * 100), 2);
    v = rest;
  }
  if (count == 1) *--out = static_cast<char>('0' + v);
}

// Exactly eight digits of v < 10^8, in four pairs with three divisions.
void writeEight(std::uint32_t v, char* out) noexcept {
  const std::uint32_t high = v / 10000, low = v - high * 10000;
  const std::uint32_t pairs[4] = {high / 100, high % 100, low / 100, low % 100};
  for (int i = 0; i < 4; ++i) std::memcpy(out + 2 * i, digitPairs + 2 * pairs[i], 2);
}

// The `count` decimal digits of v < 10^18.
void writeDigits(std::uint64_t v, int count, char* out) noexcept {
  if (count > 16) {
    const std::uint64_t top = v / 10000000000000000;
    writeShort(static_cast<std::uint32_t>(top), count - 16, out);
    out += count - 16;
    v -= top * 10000000000000000;
    count = 16;
  }
  if (count > 8) {
    const std::uint64_t high = v / 100000000;
    writeShort(static_cast<std::uint32_t>(high), count - 8, out);
    writeEight(static_cast<std::uint32_t>(v - high * 100000000), out + count - 8);
  } else {
    writeShort(static_cast<std::uint32_t>(v), count, out);
  }
}

// The first 16 (or fewer) significant digits of v < 10^16 as ASCII, leading zeros
// included, in memory order: eight digits per 64-bit word from two divisions each, and every
// digit made in registers, so that the text is written with whole-word stores.
std::uint64_t eightDigits(std::uint32_t value) noexcept {
  const std::uint64_t merged = (value / 10000) | (std::uint64_t{value % 10000} << 32);
  const std::uint64_t hundreds = ((merged * 10486) >> 20) & 0x0000'007F'0000'007Fu;
  const std::uint64_t pairs = ((merged - 100 * hundreds) << 16) + hundreds;
  const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F'000F'000F'000Fu;
  return (((pairs - 10 * tens) << 8) + tens) | 0x3030'3030'3030'3030u;
}
using DigitImage = unsigned __int128;
DigitImage sixteenDigits(std::uint64_t v) noexcept {
  const auto high = static_cast<std::uint32_t>(v / 100000000);
  const auto low = static_cast<std::uint32_t>(v - std::uint64_t{high} * 100000000);
  return eightDigits(high) | (DigitImage{eightDigits(low)} << 64);
}
void store(char* at, DigitImage bytes) noexcept { std::memcpy(at, &bytes, sizeof bytes); }

// The significant digits of a finite value's magnitude: value = 0.digits × 10^exponent,
// rounded half-up to the precision, `count` digits without trailing zeros; count 0 for
// zeros and denormals.
struct Significand {
  std::uint64_t digits = 0;
  int count = 0;
  int exponent = 0;
};

// The scaling to an 18-digit integer by the general steps, for what scaleToIntegerFast does
// not take; apart, so that a caller that inlines the fast path does not inline this too.
[[gnu::noinline]] std::uint64_t scaleToIntegerGeneral(ExtendedReal value, int& exponent) noexcept {
  ExtendedReal scaled = roundToInteger(scaleByPowerOfTen(absolute(value), maxDigits - exponent));
  if (compare(scaled, PowersOfTenLow[maxDigits]) >= 0) {
    scaled = roundToInteger(scaled / PowersOfTenLow[1]);
    ++exponent;
  }
  return integerValue(scaled);
}

Significand significantDigits(ExtendedReal value, int precision, FloatUnitState& unit) noexcept {
  const std::uint16_t biased = value.biasedExponent();
  // Zeros and denormals have no digits.
  if (biased == 0) return {};
  // The decimal exponent, estimated with 19728/65536 just below log10(2); >> floors.
  const int binaryExponent = biased - extendedExponentBias;
  int exponent = ((binaryExponent * 19728) >> 16) + 1;

  // Scaled to an integer of 18 digits; an estimate one too small gives 19 digits, and one
  // more division by ten.
  std::uint64_t v = 0;
  if (scaleToIntegerFast(absolute(value), maxDigits - exponent, v, unit)) {
    if (v >= powersOfTen[maxDigits]) {
      v = tenthToInteger(v, unit);
      ++exponent;
    }
  } else {
    v = scaleToIntegerGeneral(value, exponent);
  }
  int count = maxDigits;
  if (precision < maxDigits) {
    v = halfUp[static_cast<std::size_t>(precision)](v);
    count = precision;
    if (v == powersOfTen[precision]) {
      v = 1;
      count = 1;
      ++exponent;
    }
  }
  while (count > 0 && v % 10 == 0) {
    v /= 10;
    --count;
  }
  if (count == 0) return {};
  return {v, count, exponent};
}

// Infinities (an unset integer bit counts as one) and NaNs.
bool isInfinityOrNaN(ExtendedReal value) noexcept {
  return value.biasedExponent() == extendedMaxExponent;
}
bool isInfinity(ExtendedReal value) noexcept {
  return value.significand == 0x8000000000000000u || (value.significand >> 63) == 0;
}

}  // namespace

DecimalDigits toDecimalDigits(ExtendedReal value, int precision) noexcept {
  DecimalDigits result;
  if (isInfinityOrNaN(value)) {
    const bool infinity = isInfinity(value);
    result.exponent = infinity ? DecimalDigits::infinityExponent : DecimalDigits::nanExponent;
    result.negative = infinity && value.isNegative();
    return result;
  }
  const Significand s = significantDigits(value, precision, floatUnit());
  if (s.count == 0) return result;
  writeDigits(s.digits, s.count, result.digits);
  result.digits[s.count] = '\0';
  result.exponent = static_cast<std::int16_t>(s.exponent);
  result.negative = value.isNegative();
  return result;
}

std::size_t formatGeneral(ExtendedReal value, int precision, int exponentDigits,
                          char (&buffer)[formatBufferSize]) noexcept {
  return formatGeneralInto(value, precision, exponentDigits, buffer, floatUnit());
}

std::size_t formatGeneralInto(ExtendedReal value, int precision, int exponentDigits, char* buffer,
                              FloatUnitState& unit) noexcept {
  const int p = precision < 2 ? 2 : precision > maxDigits ? maxDigits : precision;
  const int minExponentDigits = exponentDigits >= 0 && exponentDigits <= 4 ? exponentDigits : 0;
  const char separator = DecimalSeparatorChar;
  char* out = buffer;

  if (isInfinityOrNaN(value)) {
    const bool infinity = isInfinity(value);
    if (infinity && value.isNegative()) *out++ = '-';
    std::memcpy(out, infinity ? "INF" : "NAN", 3);
    return static_cast<std::size_t>(out + 3 - buffer);
  }
  const Significand s = significantDigits(value, p, unit);
  if (s.count == 0) {
    *out = '0';
    return 1;
  }
  if (value.isNegative()) *out++ = '-';

  // Up to 16 digits are written from a register image of them (the text beyond what is
  // written is overwritten or not counted); more through their characters.
  const int count = s.count, x = s.exponent;
  char text[maxDigits + 1];
  DigitImage image = 0;
  if (count <= 16) {
    image = sixteenDigits(s.digits);
  } else {
    writeDigits(s.digits, count, text);
  }
  // digits[first, count) to `at`.
  const auto putDigits = [&](char* at, int first) {
    if (count <= 16) {
      store(at, image >> (8 * (16 - count + first)));
    } else {
      std::memcpy(at, text + first, static_cast<std::size_t>(count - first));
    }
  };
  constexpr DigitImage zeros = ~DigitImage{0} / 0xFF * '0';  // sixteen '0' characters

  if (x > p || x < -3) {
    // Scientific: d1[.d2…]E[-]exponent.
    putDigits(out, 0);
    ++out;
    if (count > 1) {
      *out++ = separator;
      putDigits(out, 1);
      out += count - 1;
    }
    *out++ = 'E';
    int shown = x - 1;
    if (shown < 0) {
      *out++ = '-';
      shown = -shown;
    }
    char exponentText[8];
    int length = 0;
    do {
      exponentText[length++] = static_cast<char>('0' + shown % 10);
      shown /= 10;
    } while (shown != 0);
    while (length < minExponentDigits) exponentText[length++] = '0';
    while (length > 0) *out++ = exponentText[--length];
  } else if (x > 0) {
    // Positional with x integer digits, padded with zeros.
    putDigits(out, 0);
    if (count > x) {
      out[x] = separator;
      putDigits(out + x + 1, x);
      out += count + 1;
    } else {
      store(out + count, zeros);  // x <= p <= 18: at most 17 zeros, in two stores
      store(out + count + 16, zeros);
      out += x;
    }
  } else {
    // 0.[000]digits for magnitudes below 1.
    out[0] = '0';
    out[1] = separator;
    store(out + 2, zeros);
    putDigits(out + 2 - x, 0);
    out += 2 - x + count;
  }
  return static_cast<std::size_t>(out - buffer);
}

std::string extendedToText(ExtendedReal value) {
  char buffer[formatBufferSize];
  return std::string(buffer, formatGeneral(value, 15, 0, buffer));
}

}  // namespace pumpcalc
