#include "core/decimal_format.h"

#include "core/locale_numbers.h"
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

}  // namespace

DecimalDigits toDecimalDigits(ExtendedReal value, int precision) noexcept {
  DecimalDigits result;
  const std::uint16_t biased = value.biasedExponent();
  // Zeros and denormals have no digits.
  if (biased == 0) return result;
  // Infinities (an unset integer bit counts as one) and NaNs.
  if (biased == extendedMaxExponent) {
    const bool infinity =
        value.significand == 0x8000000000000000u || (value.significand >> 63) == 0;
    result.exponent = infinity ? DecimalDigits::infinityExponent : DecimalDigits::nanExponent;
    result.negative = infinity && value.isNegative();
    return result;
  }
  // The decimal exponent, estimated with 19728/65536 just below log10(2); >> floors.
  const int binaryExponent = biased - extendedExponentBias;
  int exponent = ((binaryExponent * 19728) >> 16) + 1;

  // Scaled to an integer of 18 digits; an estimate one too small gives 19 digits, and one
  // more division by ten.
  ExtendedReal scaled = roundToInteger(scaleByPowerOfTen(absolute(value), maxDigits - exponent));
  if (compare(scaled, PowersOfTenLow[maxDigits]) >= 0) {
    scaled = roundToInteger(scaled / PowersOfTenLow[1]);
    ++exponent;
  }
  std::uint64_t v = integerValue(scaled);
  static constexpr std::uint64_t powers[19] = {1,
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
  int count = maxDigits;
  if (precision < maxDigits) {
    const std::uint64_t unit = powers[maxDigits - precision];
    v = (v + unit / 2) / unit;  // half-up on the 18-digit string
    count = precision;
    if (v == powers[precision]) {
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
  for (int i = count - 1; i >= 0; --i) {
    result.digits[i] = static_cast<char>('0' + v % 10);
    v /= 10;
  }
  result.digits[count] = '\0';
  result.exponent = static_cast<std::int16_t>(exponent);
  result.negative = value.isNegative();
  return result;
}

std::size_t formatGeneral(ExtendedReal value, int precision, int exponentDigits,
                          char (&buffer)[formatBufferSize]) noexcept {
  const int p = precision < 2 ? 2 : precision > maxDigits ? maxDigits : precision;
  const int minExponentDigits = exponentDigits >= 0 && exponentDigits <= 4 ? exponentDigits : 0;
  const char separator = DecimalSeparatorChar;

  const DecimalDigits d = toDecimalDigits(value, p);
  const int x = d.exponent;
  char* out = buffer;
  auto put = [&out](char c) { *out++ = c; };
  auto putAll = [&out](const char* s) {
    while (*s != '\0') *out++ = *s++;
  };

  if (d.negative) put('-');
  if (x == DecimalDigits::infinityExponent || x == DecimalDigits::nanExponent) {
    putAll(x == DecimalDigits::infinityExponent ? "INF" : "NAN");
  } else if (x > p || x < -3) {
    // Scientific: d1[.d2…]E[-]exponent.
    put(d.digits[0]);
    if (d.digits[1] != '\0') {
      put(separator);
      putAll(d.digits + 1);
    }
    put('E');
    int shown = x - 1;
    if (shown < 0) {
      put('-');
      shown = -shown;
    }
    char exponentText[8];
    int length = 0;
    do {
      exponentText[length++] = static_cast<char>('0' + shown % 10);
      shown /= 10;
    } while (shown != 0);
    while (length < minExponentDigits) exponentText[length++] = '0';
    while (length > 0) put(exponentText[--length]);
  } else if (x > 0) {
    // Positional with x integer digits.
    const char* digit = d.digits;
    for (int i = 0; i < x; ++i) put(*digit != '\0' ? *digit++ : '0');
    if (*digit != '\0') {
      put(separator);
      putAll(digit);
    }
  } else {
    // 0.[000]digits for magnitudes below 1.
    put('0');
    if (d.digits[0] != '\0') {
      put(separator);
      for (int i = 0; i < -x; ++i) put('0');
      putAll(d.digits);
    }
  }
  return static_cast<std::size_t>(out - buffer);
}

std::string extendedToText(ExtendedReal value) {
  char buffer[formatBufferSize];
  return std::string(buffer, formatGeneral(value, 15, 0, buffer));
}

}  // namespace pumpcalc
