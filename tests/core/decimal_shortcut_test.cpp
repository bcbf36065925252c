// The shortcuts of the decimal conversions give the bits of the plain operation sequence.
#include <gtest/gtest.h>

#include "tests/core/decimal_comparison.h"

namespace pumpcalc {
namespace {

TEST(DecimalShortcuts, MatchThePlainOperationSequence) {
  const decimaltest::Summary summary =
      decimaltest::compareConversions(200'000, 0xDEC1'3A15, stdout);
  EXPECT_EQ(summary.failures, 0u) << summary.cases << " cases";
}

}  // namespace
}  // namespace pumpcalc
