// The rounding decision of the integer shortcuts beside the arithmetic (decimal conversions,
// double rounding), made without a branch: with real data each way is as likely as the
// other, and a mispredicted branch costs more than the whole decision.
#pragma once

#include <cstdint>

namespace pumpcalc {

// 1 when a value rounds up to nearest, ties to even: `rest` is what lies below its last kept
// bit, `half` is half a unit of that bit, and `kept` holds the bit itself (in bit 0).
constexpr std::uint64_t roundsUp(std::uint64_t rest, std::uint64_t half,
                                 std::uint64_t kept) noexcept {
  return static_cast<std::uint64_t>(rest > half) |
         (static_cast<std::uint64_t>(rest == half) & kept & 1);
}

}  // namespace pumpcalc
