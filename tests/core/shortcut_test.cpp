// The shortcuts of the conversions, the double rounding and the division give the bits and
// flags of the plain operation sequence and of the independent reference.
#include <gtest/gtest.h>

#include "tests/core/shortcut_comparison.h"

namespace pumpcalc {
namespace {

TEST(Shortcuts, MatchThePlainSequenceAndTheIndependentReference) {
  const shortcuttest::Summary summary =
      shortcuttest::compareShortcuts(200'000, 0xDEC1'3A15, stdout);
  EXPECT_EQ(summary.failures, 0u) << summary.cases << " cases";
}

}  // namespace
}  // namespace pumpcalc
