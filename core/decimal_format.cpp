#include "core/decimal_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "core/float_unit.h"
#include "core/locale_numbers.h"
#include "core/powers_of_ten.h"
#include "core/round_pack.h"
#include "core/wide_integer.h"

namespace pumpcalc {
namespace {

constexpr int maxDigits = 18;

constexpr auto powersOfTen = [] {
  std::array<std::uint64_t, maxDigits + 1> powers{1};
  for (std::size_t k = 1; k < powers.size(); ++k) powers[k] = powers[k - 1] * 10;
  return powers;
}();

// Digit generation: the value's significant digits as an integer and a decimal exponent.

// The integer value of a non-negative integral ExtendedReal below 2^64; 0 for anything
// that is not such a value (only reachable through unsupported encodings).
std::uint64_t integerValue(ExtendedReal x) noexcept {
  const int shift = extendedExponentBias + 63 - x.biasedExponent();
  if (x.isNegative() || shift < 0 || shift > 63) return 0;
  return x.significand >> shift;
}

// The scaling to an integer for the common magnitudes: when the scale 18 - exponent lies in
// 1..31, scaleByPowerOfTen is the one multiplication by PowersOfTenLow[scale], and the product
// is a normal number below 2^63. This is that FMUL, its exact product rounded, and the
// FRNDINT after it, without the calls. Returns false, having raised nothing, where it does not
// apply: the caller then calls scaleByPowerOfTen and roundToInteger.
bool scaleToIntegerFast(ExtendedReal magnitude, int scale, std::uint64_t& integer,
                        FloatUnitState& unit) noexcept {
  if (scale < 1 || scale > 31 || (magnitude.significand >> 63) == 0) return false;
  const ExtendedReal power = PowersOfTenLow[static_cast<std::size_t>(scale)];
  int exponent = magnitude.biasedExponent() + power.biasedExponent() - 2 * extendedExponentBias;
  const u128 product = normalizedProduct(magnitude.significand, power.significand, exponent);
  // Only products from 1 to below 2^63 take this path.
  if (exponent < 0 || exponent > 62) return false;
  FloatUnitState steps;  // the two roundings' flags, in a register, then one store
  const std::uint64_t rounded = roundCommonCase<64>(exponent, product, steps);
  integer = integerNearest(exponent, rounded, steps);
  unit.flags |= steps.flags;
  return true;
}

// roundToInteger(x / 10) for an integer x from 10^18 to 2^63, with the bits and flags of that
// FDIV and FRNDINT. x / 10 = q + r/10, and q's leading one is at bit 63 - shift: the 64 bits
// from there are (q << shift) + (r << shift) / 10, and m = (r << shift) % 10, even and so never
// a half, is what lies below them: m × floor(2^64 / 10) is nonzero and above 2^63 just as m/10
// is nonzero and above 1/2.
std::uint64_t tenthToInteger(std::uint64_t x, FloatUnitState& unit) noexcept {
  const std::uint64_t q = x / 10, r = x % 10;
  const int shift = std::countl_zero(q);  // 4 to 7 here
  const std::uint64_t rest = r << shift;
  const u128 sig = (u128{(q << shift) + rest / 10} << 64) | (rest % 10 * 0x1999'9999'9999'9999u);
  int exponent = 63 - shift;
  FloatUnitState steps;
  const std::uint64_t rounded = roundCommonCase<64>(exponent, sig, steps);
  const std::uint64_t integer = integerNearest(exponent, rounded, steps);
  unit.flags |= steps.flags;
  return integer;
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

// The significant digits of a finite value's magnitude: value = 0.digits × 10^exponent,
// rounded half-up to the precision, `count` digits without trailing zeros; count 0 for
// zeros and denormals.
struct Significand {
  std::uint64_t digits = 0;
  int count = 0;
  int exponent = 0;
};

// The scaling to an 18-digit integer by scaleByPowerOfTen and roundToInteger, for what
// scaleToIntegerFast does not take; apart, so that a caller that inlines the fast path does not
// inline this too.
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

// The digit writer: decimal digits as ASCII made in registers, eight to a 64-bit word, with
// divisions by multiplication in lanes too narrow to carry into each other.

// x × reciprocalOf100 >> 20 is x / 100 for every x < 10^4, and x × reciprocalOf10 >> 10 is
// x / 10 for every x < 100.
constexpr std::uint64_t reciprocalOf100 = (1u << 20) / 100 + 1;  // 10486
constexpr std::uint64_t reciprocalOf10 = (1u << 10) / 10 + 1;    // 103
static_assert([] {
  for (std::uint64_t x = 0; x < 10000; ++x) {
    if ((x * reciprocalOf100) >> 20 != x / 100 ||
        (x < 100 && (x * reciprocalOf10) >> 10 != x / 10)) {
      return false;
    }
  }
  return true;
}());
constexpr std::uint64_t lowSevenBitsOfHalves = 0x0000'007F'0000'007F;
constexpr std::uint64_t lowFourBitsOfQuarters = 0x000F'000F'000F'000F;
constexpr std::uint64_t asciiZeros = 0x3030'3030'3030'3030;

// The eight digits of v < 10^8, leading zeros included, the first in the lowest byte (memory
// order): its two halves of four digits, each split into two pairs, each pair into two
// digits, all lanes at once.
std::uint64_t eightDigits(std::uint32_t v) noexcept {
  const std::uint64_t halves = (v / 10000) | (std::uint64_t{v % 10000} << 32);
  const std::uint64_t hundreds = ((halves * reciprocalOf100) >> 20) & lowSevenBitsOfHalves;
  const std::uint64_t pairs = ((halves - 100 * hundreds) << 16) + hundreds;
  const std::uint64_t tens = ((pairs * reciprocalOf10) >> 10) & lowFourBitsOfQuarters;
  return (((pairs - 10 * tens) << 8) + tens) | asciiZeros;
}

using DigitImage = u128;
void store(char* at, DigitImage bytes) noexcept { std::memcpy(at, &bytes, sizeof bytes); }

// A significand of `count` digits (v < 10^count) as text: its last sixteen digits as an
// image, leading zeros included, and the (at most two) digits before them apart.
class DigitText {
 public:
  DigitText(std::uint64_t v, int count) noexcept : count_(count) {
    if (count > 16) {
      const std::uint64_t top = v / powersOfTen[16];
      v -= top * powersOfTen[16];
      high_[0] = static_cast<char>('0' + top / 10);
      high_[1] = static_cast<char>('0' + top % 10);
    }
    low_ = eightDigits(static_cast<std::uint32_t>(v / powersOfTen[8])) |
           DigitImage{eightDigits(static_cast<std::uint32_t>(v % powersOfTen[8]))} << 64;
  }
  int count() const noexcept { return count_; }
  // Writes digits [first, count), first < count, to `at`, and up to sixteen bytes more that
  // the caller overwrites or does not count.
  void put(char* at, int first) const noexcept {
    int position = maxDigits - count_ + first;  // in high_ followed by low_
    for (; position < 2; ++position) *at++ = high_[position];
    store(at, low_ >> 8 * (position - 2));
  }

 private:
  DigitImage low_;
  char high_[2] = {'0', '0'};
  int count_;
};

// Infinities (an unset integer bit counts as one) and NaNs.
bool isInfinityOrNaN(ExtendedReal value) noexcept {
  return value.biasedExponent() == extendedMaxExponent;
}
bool isInfinity(ExtendedReal value) noexcept {
  return value.significand == 0x8000000000000000u || (value.significand >> 63) == 0;
}

// Layout: digits and exponent to the general form.

// Writes the digits of a finite nonzero magnitude, value = 0.digits × 10^x, at `out` in the
// general form for the precision p; returns the end of the text.
char* layOutGeneral(const DigitText& digits, int x, int p, int minExponentDigits, char separator,
                    char* out) noexcept {
  const int count = digits.count();
  constexpr DigitImage zeros = DigitImage{asciiZeros} << 64 | asciiZeros;
  if (x > p || x < -3) {
    // Scientific: d1[.d2…]E[-]exponent.
    digits.put(out, 0);
    ++out;
    if (count > 1) {
      *out++ = separator;
      digits.put(out, 1);
      out += count - 1;
    }
    *out++ = 'E';
    int shown = x - 1;
    if (shown < 0) {
      *out++ = '-';
      shown = -shown;
    }
    // At most four digits: the magnitudes lie between 10^-4951 and 10^4933.
    const int length = std::max(minExponentDigits, shown < 10     ? 1
                                                   : shown < 100  ? 2
                                                   : shown < 1000 ? 3
                                                                  : 4);
    const std::uint64_t exponentText =
        eightDigits(static_cast<std::uint32_t>(shown)) >> 8 * (8 - length);
    std::memcpy(out, &exponentText, sizeof exponentText);
    return out + length;
  }
  if (x > 0) {
    // Positional with x integer digits, padded with zeros.
    digits.put(out, 0);
    if (count > x) {
      out[x] = separator;
      digits.put(out + x + 1, x);
      return out + count + 1;
    }
    store(out + count, zeros);  // x <= p <= 18: at most 17 zeros, in two stores
    store(out + count + 16, zeros);
    return out + x;
  }
  // 0.[000]digits for magnitudes below 1.
  out[0] = '0';
  out[1] = separator;
  store(out + 2, zeros);
  digits.put(out + 2 - x, 0);
  return out + 2 - x + count;
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
  DigitText(s.digits, s.count).put(result.digits, 0);
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
  out =
      layOutGeneral(DigitText(s.digits, s.count), s.exponent, p, minExponentDigits, separator, out);
  return static_cast<std::size_t>(out - buffer);
}

std::string extendedToText(ExtendedReal value) {
  char buffer[formatBufferSize];
  return std::string(buffer, formatGeneral(value, 15, 0, buffer));
}

}  // namespace pumpcalc
