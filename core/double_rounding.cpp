#include "core/double_rounding.h"

#include <cstdint>

#include "core/float_unit.h"
#include "core/nearest_even.h"

namespace pumpcalc {

bool roundToNormalDouble(ExtendedReal x, ExtendedReal& rounded, FloatUnitState& unit) noexcept {
  int exponent = x.biasedExponent() - extendedExponentBias;
  if (!isNormal(x) || exponent < -1022 || exponent > 1023) return false;
  // 64 significant bits to 53: the low 11 decide the rounding.
  constexpr std::uint64_t dropped = (1u << 11) - 1, half = 1u << 10;
  const std::uint64_t rest = x.significand & dropped;
  std::uint64_t kept = x.significand >> 11;
  kept += roundsUp(rest, half, kept);
  if (kept == std::uint64_t{1} << 53) {
    kept >>= 1;
    if (++exponent > 1023) return false;  // overflows to infinity
  }
  unit.flags |= static_cast<std::uint8_t>((rest != 0) * flagPrecision);
  rounded = ExtendedReal::fromBits(
      x.isNegative(), static_cast<std::uint16_t>(exponent + extendedExponentBias), kept << 11);
  return true;
}

}  // namespace pumpcalc
