// References for the shortcuts of the decimal conversions, the rounding to a double and the
// division that share nothing with core/: every rounded operation is the host's own x87
// instruction (x87_reference.h), the powers of ten are rounded from their exact integers,
// and the decimal rounding is written out digit by digit. Only where the host has an x87
// (PUMPCALC_HAVE_X87_REFERENCE): natively on x86-64 and under Wine.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/extended_real.h"
#include "tests/core/x87_reference.h"

namespace pumpcalc::independent {

// The decimal rounding of a text of 18 digits to `precision` (2 to 18) significant digits,
// as written out: look at the first digit dropped; from 5 up, add one to the last digit
// kept, a digit that passes 9 is dropped and its carry goes left, and a carry past the first
// digit leaves the single digit 1 and one more in `exponent`. Otherwise trailing zeros go.
inline std::string roundDigitsHalfUp(const std::string& eighteen, int precision, int& exponent) {
  const auto p = static_cast<std::size_t>(precision);
  if (p < eighteen.size() && eighteen[p] >= '5') {
    std::string kept = eighteen.substr(0, p);
    while (!kept.empty() && kept.back() == '9') kept.pop_back();
    if (kept.empty()) {
      ++exponent;
      return "1";
    }
    ++kept.back();
    return kept;
  }
  std::string kept = eighteen.substr(0, p);
  while (!kept.empty() && kept.back() == '0') kept.pop_back();
  return kept;
}

#if PUMPCALC_HAVE_X87_REFERENCE

// 10^k as the nearest ExtendedReal (ties to even), from the exact integer 5^k × 2^k.
class PowersOfTen {
 public:
  PowersOfTen() {
    std::vector<std::uint32_t> five{1};  // 5^k, 32-bit limbs, least significant first
    for (int k = 0; k <= 4608; ++k) {
      if (k > 0) {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : five) {
          const std::uint64_t product = std::uint64_t{limb} * 5 + carry;
          limb = static_cast<std::uint32_t>(product);
          carry = product >> 32;
        }
        if (carry != 0) five.push_back(static_cast<std::uint32_t>(carry));
      }
      if (k < 32) low_[static_cast<std::size_t>(k)] = nearest(five, k);
      if (k % 32 == 0 && k / 32 < 16) mid_[static_cast<std::size_t>(k / 32)] = nearest(five, k);
      if (k % 512 == 0) high_[static_cast<std::size_t>(k / 512)] = nearest(five, k);
    }
  }

  ExtendedReal low(int a) const { return low_[static_cast<std::size_t>(a)]; }
  ExtendedReal mid(int b) const { return mid_[static_cast<std::size_t>(b)]; }
  ExtendedReal high(int c) const { return high_[static_cast<std::size_t>(c)]; }

 private:
  static bool bit(const std::vector<std::uint32_t>& n, long i) {
    return i >= 0 && (n[static_cast<std::size_t>(i / 32)] >> (i % 32)) & 1;
  }

  // The integer n × 2^k rounded to 64 significant bits.
  static ExtendedReal nearest(const std::vector<std::uint32_t>& n, int k) {
    long length = 32 * static_cast<long>(n.size());
    while (!bit(n, length - 1)) --length;
    std::uint64_t significand = 0;
    for (long i = length - 1; i >= length - 64; --i) significand = significand << 1 | bit(n, i);
    const bool half = bit(n, length - 65);
    bool below = false;
    for (long i = length - 66; i >= 0 && !below; --i) below = bit(n, i);
    long exponent = length - 1 + k;
    if (half && (below || (significand & 1) != 0)) {
      if (++significand == 0) {
        significand = std::uint64_t{1} << 63;
        ++exponent;
      }
    }
    return ExtendedReal::fromBits(false, static_cast<std::uint16_t>(exponent + 16383), significand);
  }

  std::array<ExtendedReal, 32> low_{};
  std::array<ExtendedReal, 16> mid_{};
  std::array<ExtendedReal, 10> high_{};
};

inline const PowersOfTen& powersOfTen() {
  static const PowersOfTen powers;
  return powers;
}

// x × 10^n: the low, mid and high factors of |n| in that order, each one x87 multiplication
// (division for negative n); `flags` gathers the instructions' exception flags.
inline ExtendedReal scale(ExtendedReal x, int n, std::uint8_t& flags) {
  if (n == 0) return x;
  if (n >= 5120) return ExtendedReal::fromBits(false, 0x7FFF, std::uint64_t{1} << 63);
  if (n <= -5120) return {};
  const int m = n < 0 ? -n : n;
  const auto step = [&](ExtendedReal factor) {
    const x87::Result80 r = n > 0 ? x87::multiply(x, factor) : x87::divide(x, factor);
    flags |= r.flags;
    x = r.value;
  };
  const PowersOfTen& p = powersOfTen();
  step(p.low(m % 32));
  if ((m / 32) % 16 != 0) step(p.mid((m / 32) % 16));
  if (m / 512 != 0) step(p.high(m / 512));
  return x;
}

struct Digits {
  std::string digits;
  int exponent = 0;
  bool negative = false;
  std::uint8_t flags = 0;
};

// The first `precision` significant digits of a normal value: estimate the decimal
// exponent, scale to 18 digits, round to an integer (once more after a division by ten
// when the estimate was one too small), then round the 18-digit text.
inline Digits decimalDigits(ExtendedReal value, int precision) {
  Digits d;
  const int binaryExponent = value.biasedExponent() - 16383;
  // floor(binaryExponent × 19728 / 65536), toward minus infinity for negative products too.
  const long product = binaryExponent * 19728L;
  int exponent = static_cast<int>(product >= 0 ? product / 65536 : -((-product + 65535) / 65536));
  ++exponent;
  const ExtendedReal magnitude =
      ExtendedReal::fromBits(false, value.biasedExponent(), value.significand);
  x87::Result80 s = x87::roundToInteger(scale(magnitude, 18 - exponent, d.flags));
  d.flags |= s.flags;
  if (x87::compare(s.value, powersOfTen().low(18)).order >= 0) {
    s = x87::divide(s.value, powersOfTen().low(1));
    d.flags |= s.flags;
    ++exponent;
  }
  s = x87::roundToInteger(s.value);
  d.flags |= s.flags;
  const int unbiased = s.value.biasedExponent() - 16383;
  const std::uint64_t integer =
      s.value.biasedExponent() == 0 ? 0 : s.value.significand >> (63 - unbiased);
  char eighteen[32];
  std::snprintf(eighteen, sizeof eighteen, "%018llu", static_cast<unsigned long long>(integer));
  d.digits = roundDigitsHalfUp(eighteen, precision, exponent);
  if (d.digits.empty()) return d;
  d.exponent = exponent;
  d.negative = value.isNegative();
  return d;
}

// The text `digits` with `fractionDigits` of them after the separator, read as the
// conversion reads it: acc ← acc × 10 + digit for every digit, then scaled by
// 10^-fractionDigits; each step one x87 instruction.
inline ExtendedReal parseDigits(const std::string& digits, int fractionDigits) {
  ExtendedReal acc{};
  const ExtendedReal ten = powersOfTen().low(1);
  for (const char c : digits) {
    acc = x87::multiply(acc, ten).value;
    acc = x87::add(acc, x87::fromInt64(c - '0').value).value;
  }
  std::uint8_t flags = 0;
  return scale(acc, -fractionDigits, flags);
}

// FST m64real then FLD m64real, with the flags of both.
inline x87::Result80 throughDouble(ExtendedReal x) {
  const x87::Result64 stored = x87::toBinary64(x);
  const x87::Result80 loaded = x87::fromBinary64(stored.bits);
  return {loaded.value, static_cast<std::uint8_t>(stored.flags | loaded.flags)};
}

#endif  // PUMPCALC_HAVE_X87_REFERENCE

}  // namespace pumpcalc::independent
