// Decimal text to ExtendedReal.
//
// Accepted: spaces, at most one sign, digits with at most one DecimalSeparatorChar (at
// least one digit or the separator), an optional exponent ("E"/"e", at most one sign,
// digits), spaces. The text ends at its end or at its first NUL byte. All mantissa digits
// are accumulated (acc × 10 + d, each step rounded), then scaled once by
// scaleByPowerOfTen; the exact sequence of roundings decides the last bit.
#pragma once

#include <string>
#include <string_view>

#include "core/extended_real.h"

namespace pumpcalc {

// The conversion itself: true and `value` set when `text` is a number within the extended
// range; false otherwise (then `value` is not to be used). Raises nothing; on return the
// caller's control word is in force and every exception flag is clear. `unit` is this
// thread's float unit (floatUnit()), for a caller that converts many texts.
bool tryTextToExtended(std::string_view text, ExtendedReal& value, FloatUnitState& unit) noexcept;
inline bool tryTextToExtended(std::string_view text, ExtendedReal& value) noexcept {
  return tryTextToExtended(text, value, floatUnit());
}

// As tryTextToExtended, but a text that is not a number raises EConvertError with the
// message "'<text>' is not a valid floating point value", the text exactly as passed.
ExtendedReal textToExtended(std::string_view text, FloatUnitState& unit);
inline ExtendedReal textToExtended(std::string_view text) {
  return textToExtended(text, floatUnit());
}

}  // namespace pumpcalc
