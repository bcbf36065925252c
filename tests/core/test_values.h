// Values the core tests share, as exact bit patterns.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>

#include "core/extended_real.h"
#include "core/locale_numbers.h"

namespace pumpcalc::test {

inline ExtendedReal bits(std::uint16_t signExponent, std::uint64_t significand) {
  return ExtendedReal{significand, signExponent};
}
inline ExtendedReal integer(std::int64_t value) { return extendedFromInt64(value); }
inline const ExtendedReal positiveZero{};
inline const ExtendedReal negativeZero = -ExtendedReal{};
inline const ExtendedReal positiveInfinity = bits(0x7FFF, 0x8000000000000000u);

// Sets DecimalSeparatorChar for one scope.
class SeparatorScope {
 public:
  explicit SeparatorScope(char separator) : saved_(DecimalSeparatorChar) {
    DecimalSeparatorChar = separator;
  }
  ~SeparatorScope() { DecimalSeparatorChar = saved_; }
  SeparatorScope(const SeparatorScope&) = delete;
  SeparatorScope& operator=(const SeparatorScope&) = delete;

 private:
  char saved_;
};

}  // namespace pumpcalc::test

namespace pumpcalc {
// Readable failure output: sign/exponent and significand in hex.
inline void PrintTo(const ExtendedReal& x, std::ostream* os) {
  char text[40];
  std::snprintf(text, sizeof text, "%04X:%016llX", x.signExponent,
                static_cast<unsigned long long>(x.significand));
  *os << text;
}
}  // namespace pumpcalc
