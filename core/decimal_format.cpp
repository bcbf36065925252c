#include "core/decimal_format.h"

#include <cstring>

#include "core/locale_numbers.h"
#include "core/powers_of_ten.h"

namespace pumpcalc {
namespace {

constexpr int maxDigits = 18;
constexpr std::uint64_t tenToThe18 = 1'000'000'000'000'000'000u;

// The integer value of a non-negative integral ExtendedReal below 2^64; 0 for anything
// that is not such a value (only reachable through unsupported encodings).
std::uint64_t integerValue(ExtendedReal x) noexcept {
  const int shift = extendedExponentBias + 63 - x.biasedExponent();
  if (x.isNegative() || shift < 0 || shift > 63) return 0;
  return x.significand >> shift;
}

// Writes v < 10^18 as exactly 18 digits, with leading zeros.
void writeEighteenDigits(std::uint64_t v, char* out) noexcept {
  for (int i = maxDigits - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + v % 10);
    v /= 10;
  }
}

}  // namespace

DecimalDigits toDecimalDigits(ExtendedReal value, int precision) noexcept {
  DecimalDigits result;
  const std::uint16_t biased = value.biasedExponent();
  // 1. Zeros and denormals.
  if (biased == 0) return result;
  // 2. Infinities (an unset integer bit counts as one) and NaNs.
  if (biased == extendedMaxExponent) {
    const bool infinity = value.significand == 0x8000000000000000u || (value.significand >> 63) == 0;
    result.exponent = infinity ? DecimalDigits::infinityExponent : DecimalDigits::nanExponent;
    result.negative = infinity && value.isNegative();
    return result;
  }
  // 3. Estimate the decimal exponent with 19728/65536 just below log10(2); >> floors.
  const int binaryExponent = biased - extendedExponentBias;
  int exponent = ((binaryExponent * 19728) >> 16) + 1;

  // 4-6. Scale to an integer of 18 digits; an estimate one too small gives 19 digits.
  ExtendedReal scaled = roundToInteger(scaleByPowerOfTen(absolute(value), maxDigits - exponent));
  const ExtendedReal bound = extendedFromInt64(static_cast<std::int64_t>(tenToThe18));
  if (compare(scaled, bound) >= 0) {
    scaled = scaled / PowersOfTenLow[1];
    ++exponent;
  }
  char digits[maxDigits];
  writeEighteenDigits(integerValue(roundToInteger(scaled)), digits);

  // 7. Round half-up on the digit string.
  int count = maxDigits;
  bool carriedOut = false;
  if (precision < maxDigits) {
    count = precision;
    if (digits[precision] >= '5') {
      while (count > 0 && digits[count - 1] == '9') --count;
      if (count == 0) {
        digits[0] = '1';
        count = 1;
        ++exponent;
        carriedOut = true;
      } else {
        ++digits[count - 1];
      }
    }
  }
  // 8. Drop trailing zeros (a carry leaves none).
  if (!carriedOut) {
    while (count > 0 && digits[count - 1] == '0') --count;
  }
  // No digits left means no value: only unsupported encodings get here. Show it as zero.
  if (count == 0) return result;

  std::memcpy(result.digits, digits, static_cast<std::size_t>(count));
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
