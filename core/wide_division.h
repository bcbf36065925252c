// The 128-by-64-bit division of the software arithmetic: one DIV instruction on x86-64
// with GCC or Clang, the compiler's 128-bit division elsewhere.
#pragma once

#include <cstdint>

namespace pumpcalc {

// (high × 2^64 + low) ÷ d for high < d, so that the quotient fits 64 bits; the remainder
// goes to `remainder`.
inline std::uint64_t divideWords(std::uint64_t high, std::uint64_t low, std::uint64_t d,
                                 std::uint64_t& remainder) noexcept {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  std::uint64_t quotient;
  __asm__("divq %4" : "=a"(quotient), "=d"(remainder) : "a"(low), "d"(high), "rm"(d));
  return quotient;
#else
  const unsigned __int128 n = (static_cast<unsigned __int128>(high) << 64) | low;
  remainder = static_cast<std::uint64_t>(n % d);
  return static_cast<std::uint64_t>(n / d);
#endif
}

}  // namespace pumpcalc
