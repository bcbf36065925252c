#include "core/powers_of_ten.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/float_unit.h"

namespace pumpcalc {
namespace {

// 10^k as an exact big integer (little-endian 32-bit limbs), rounded to the nearest
// extended value with ties to even: an independent check of the stored tables.
ExtendedReal exactPowerOfTen(int k) {
  std::vector<std::uint32_t> limbs{1};
  for (int i = 0; i < k; ++i) {
    std::uint64_t carry = 0;
    for (auto& limb : limbs) {
      const std::uint64_t product = std::uint64_t{limb} * 10 + carry;
      limb = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) limbs.push_back(static_cast<std::uint32_t>(carry));
  }
  auto bit = [&](long i) { return i < 0 ? 0u : (limbs[i / 32] >> (i % 32)) & 1u; };
  long top = static_cast<long>(limbs.size()) * 32 - 1;
  while (bit(top) == 0) --top;
  std::uint64_t significand = 0;
  for (long i = top; i > top - 64; --i) significand = significand << 1 | bit(i);
  bool roundBit = bit(top - 64) != 0, sticky = false;
  for (long i = top - 65; i >= 0 && !sticky; --i) sticky = bit(i) != 0;
  long exponent = top;
  if (roundBit && (sticky || (significand & 1))) {
    if (++significand == 0) {
      significand = 0x8000000000000000u;
      ++exponent;
    }
  }
  return ExtendedReal::fromBits(false, static_cast<std::uint16_t>(extendedExponentBias + exponent),
                                significand);
}

TEST(PowersOfTen, EveryTableEntryIsTheNearestExtendedValue) {
  for (int k = 0; k < 32; ++k) EXPECT_EQ(PowersOfTenLow[k], exactPowerOfTen(k)) << "10^" << k;
  for (int k = 1; k < 16; ++k)
    EXPECT_EQ(PowersOfTenMid[k], exactPowerOfTen(32 * k)) << "10^" << 32 * k;
  for (int k = 1; k < 10; ++k) {
    EXPECT_EQ(PowersOfTenHigh[k], exactPowerOfTen(512 * k)) << "10^" << 512 * k;
  }
}

TEST(PowersOfTen, ScalingLimitsAreConstantsWithoutFlags) {
  const ExtendedReal one = PowersOfTenLow[0];
  const ExtendedReal infinity = ExtendedReal::fromBits(false, 0x7FFF, 0x8000000000000000u);
  const ExtendedReal negativeOne = -one;
  floatUnit().flags = 0;
  EXPECT_EQ(scaleByPowerOfTen(negativeOne, 5120), infinity);
  EXPECT_EQ(scaleByPowerOfTen(negativeOne, -5120), ExtendedReal{});
  EXPECT_EQ(scaleByPowerOfTen(one, INT32_MIN), ExtendedReal{});
  EXPECT_EQ(floatUnit().flags, 0);
  EXPECT_EQ(scaleByPowerOfTen(negativeOne, 0), negativeOne);
}

TEST(PowersOfTen, ScalingMultipliesLowThenMidThenHigh) {
  struct Case {
    int n;
    ExtendedReal expected;
  };
  const ExtendedReal one = PowersOfTenLow[0];
  const Case cases[] = {
      {1, PowersOfTenLow[1]},
      {33, PowersOfTenLow[1] * PowersOfTenMid[1]},
      {4999, PowersOfTenLow[7] * PowersOfTenMid[12] * PowersOfTenHigh[9]},
      {-30, one / PowersOfTenLow[30]},
      {-544, one / PowersOfTenLow[0] / PowersOfTenMid[1] / PowersOfTenHigh[1]},
  };
  for (const Case& c : cases) EXPECT_EQ(scaleByPowerOfTen(one, c.n), c.expected) << c.n;
  resetFloatUnit();
}

}  // namespace
}  // namespace pumpcalc
