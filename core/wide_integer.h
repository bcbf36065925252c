// The integer primitives of the software arithmetic: 128-bit integers, the shifts that keep
// a sticky bit, the 128-by-64-bit division and the one decision of rounding to nearest, ties
// to even. Each is used by round_pack.h and the operations that hand it their results.
#pragma once

#include <bit>
#include <cstdint>
#include <type_traits>

namespace pumpcalc {

// GCC's and Clang's 128-bit unsigned integer.
using u128 = unsigned __int128;

// x >> count with every bit shifted out ORed into bit 0 (the sticky bit), so that a rounding
// decided on the shifted value still knows whether anything nonzero lay below it. Any count
// >= 0; at 128 and beyond the result is 1 for a nonzero x and 0 for zero.
constexpr u128 shiftRightJam(u128 x, std::int64_t count) noexcept {
  if (count <= 0) return x;
  if (count >= 128) return x != 0 ? 1 : 0;
  return (x >> count) | ((x & ((u128{1} << count) - 1)) != 0 ? 1 : 0);
}

// The number of zero bits above the highest set bit of x; 128 for zero.
constexpr int countLeadingZeros(u128 x) noexcept {
  const auto high = static_cast<std::uint64_t>(x >> 64);
  return high != 0 ? std::countl_zero(high) : 64 + std::countl_zero(static_cast<std::uint64_t>(x));
}

// (high × 2^64 + low) ÷ d for high < d, so that the quotient fits 64 bits; the remainder goes
// to `remainder`. One DIV instruction on x86-64 with GCC or Clang, the compiler's 128-bit
// division elsewhere.
inline std::uint64_t divideWords(std::uint64_t high, std::uint64_t low, std::uint64_t d,
                                 std::uint64_t& remainder) noexcept {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  std::uint64_t quotient;
  __asm__("divq %4" : "=a"(quotient), "=d"(remainder) : "a"(low), "d"(high), "rm"(d));
  return quotient;
#else
  const u128 n = (u128{high} << 64) | low;
  remainder = static_cast<std::uint64_t>(n % d);
  return static_cast<std::uint64_t>(n / d);
#endif
}

// 1 when a value rounds up to nearest, ties to even: `roundBit` is the first bit below its
// last kept bit (0 or 1), `sticky` tells whether any bit below that one is set, and `kept`
// holds the last kept bit (in bit 0). Made without a branch: with real data each way is as
// likely as the other, and a mispredicted branch costs more than the whole decision.
template <class U>
constexpr U roundsUp(U roundBit, bool sticky, std::type_identity_t<U> kept) noexcept {
  return roundBit & (static_cast<U>(sticky) | kept);
}

// x ÷ 2^dropped rounded to the nearest integer, ties to even, for 1 <= dropped < the width of
// U; `inexact` tells whether a nonzero bit was dropped. The quotient is below
// 2^(width - dropped) + 1, so it fits U even when it rounds up past a power of two.
template <class U>
constexpr U shiftRightRoundingToNearestEven(U x, int dropped, bool& inexact) noexcept {
  const U kept = x >> dropped;
  const U roundBit = (x >> (dropped - 1)) & 1;
  const bool sticky = (x & ((U{1} << (dropped - 1)) - 1)) != 0;
  inexact = roundBit != 0 || sticky;
  return kept + roundsUp(roundBit, sticky, kept);
}

}  // namespace pumpcalc
