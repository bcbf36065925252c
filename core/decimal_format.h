// ExtendedReal to decimal text in the general form: at most `precision` significant
// digits, positional for magnitudes from 0.0001 below 10^precision (after rounding),
// scientific ("1.5E-5") outside, trailing zeros dropped, the user's decimal separator.
//
// The digits are made by scaling the value with ExtendedReal arithmetic to an integer of
// 18 digits and rounding that digit string half-up, not from the exact binary value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/extended_real.h"

namespace pumpcalc {

struct DecimalDigits {
  static constexpr std::int16_t infinityExponent = 32767;
  static constexpr std::int16_t nanExponent = -32768;

  // For finite non-zero values, X with value = 0.d1d2d3… × 10^X; 0 for zero.
  std::int16_t exponent = 0;
  // The value's sign bit; clear for zeros, denormals and NaNs.
  bool negative = false;
  // 0 to 18 ASCII digits and a NUL; never ends in "0". Begins with "0" only for some
  // magnitudes below 2^-680, where the exponent estimate is one too large.
  char digits[19] = {};
};

// The first `precision` (2 to 18) significant digits of `value`.
DecimalDigits toDecimalDigits(ExtendedReal value, int precision) noexcept;

inline constexpr std::size_t formatBufferSize = 64;

// Writes `value` in the general form into `buffer` (no terminator) and returns the count
// of characters written. `precision` is clamped to 2..18; `exponentDigits` (the minimum
// count of exponent digits) counts as 0 outside 0..4. Reads DecimalSeparatorChar once.
// Infinities and NaNs are written "INF", "-INF" and "NAN".
std::size_t formatGeneral(ExtendedReal value, int precision, int exponentDigits,
                          char (&buffer)[formatBufferSize]) noexcept;
// The same into formatBufferSize bytes at `buffer`, all of which it may use as scratch: the
// caller's own output, so that the text is not copied. `unit` is this thread's float unit
// (floatUnit()), for a caller that formats many values.
std::size_t formatGeneralInto(ExtendedReal value, int precision, int exponentDigits, char* buffer,
                              FloatUnitState& unit) noexcept;

// The text of a result box: formatGeneral with precision 15 and exponentDigits 0.
std::string extendedToText(ExtendedReal value);

}  // namespace pumpcalc
