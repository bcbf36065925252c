// Rounding to nearest, ties to even, on integers: the one rounding decision of the software
// arithmetic (extended_real.cpp) and of the integer shortcuts beside it (the decimal
// conversions, the rounding to a double). Made without a branch: with real data each way is
// as likely as the other, and a mispredicted branch costs more than the whole decision.
#pragma once

#include <cstdint>
#include <type_traits>

namespace pumpcalc {

// 1 when a value rounds up: `rest` is what lies below its last kept bit, `half` is half a
// unit of that bit, and `kept` holds the bit itself (in bit 0).
template <class U>
constexpr U roundsUp(U rest, std::type_identity_t<U> half, std::type_identity_t<U> kept) noexcept {
  return static_cast<U>(rest > half) | (static_cast<U>(rest == half) & kept & 1);
}

// x ÷ 2^dropped rounded to the nearest integer, ties to even, for 1 <= dropped < the width of
// U; `inexact` tells whether a nonzero bit was dropped. The quotient is below
// 2^(width - dropped) + 1, so it fits U even when it rounds up past a power of two.
template <class U>
constexpr U shiftRightRoundingToNearestEven(U x, int dropped, bool& inexact) noexcept {
  const U kept = x >> dropped;
  const U rest = x & ((U{1} << dropped) - 1);
  inexact = rest != 0;
  return kept + roundsUp(rest, U{1} << (dropped - 1), kept);
}

}  // namespace pumpcalc
