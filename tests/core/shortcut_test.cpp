// The shortcuts of the conversions and the double rounding give the bits of the plain
// operation sequence.
#include <gtest/gtest.h>

#include "tests/core/shortcut_comparison.h"

namespace pumpcalc {
namespace {

TEST(Shortcuts, MatchThePlainOperationSequence) {
  const shortcuttest::Summary summary =
      shortcuttest::compareShortcuts(200'000, 0xDEC1'3A15, stdout);
  EXPECT_EQ(summary.failures, 0u) << summary.cases << " cases";
}

}  // namespace
}  // namespace pumpcalc
