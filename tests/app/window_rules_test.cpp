#include "app/window_rules.h"

#include <gtest/gtest.h>

namespace pumpcalc {
namespace {

TEST(MulDiv, RoundsHalvesAwayFromZero) {
  struct Case {
    int a, b, c, expected;
  };
  const Case cases[] = {
      {208, 16, 13, 256}, {192, 16, 13, 236}, {5, 1, 2, 3},  {-5, 1, 2, -3}, {5, -1, 2, -3},
      {7, 1, 3, 2},       {8, 1, 3, 3},       {1, 1, 0, -1}, {0, 5, 7, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mulDiv(c.a, c.b, c.c), c.expected) << c.a << '*' << c.b << '/' << c.c;
  }
  EXPECT_EQ(mulDiv(1000000000, 1000, 1000000), 1000000);  // no intermediate overflow
}

TEST(ScaleBounds, ScalesThroughTheEdges) {
  const Bounds button{208, 192, 81, 25};
  const Bounds scaled = scaleBounds(button, 16, 13, false, false);
  EXPECT_EQ(scaled.left, 256);
  EXPECT_EQ(scaled.top, 236);
  EXPECT_EQ(scaled.width, 100);
  EXPECT_EQ(scaled.height, 31);
  // An edit box keeps the height that its font gives it.
  const Bounds edit = scaleBounds({192, 56, 81, 21}, 16, 13, false, true);
  EXPECT_EQ(edit.height, 21);
  EXPECT_EQ(edit.width, mulDiv(273, 16, 13) - mulDiv(192, 16, 13));
}

TEST(Placement, CentredWindowsNeverStartOffTheScreen) {
  const Bounds fits = centeredOnScreen(1280, 1024, 377, 407);
  EXPECT_EQ(fits.left, 451);
  EXPECT_EQ(fits.top, 308);
  const Bounds tooBig = centeredOnScreen(800, 600, 1000, 700);
  EXPECT_EQ(tooBig.left, 0);
  EXPECT_EQ(tooBig.top, 0);
  const Bounds second = centeredOnMonitor({1280, 0, 2560, 1024}, 180, 97);
  EXPECT_EQ(second.left, 1280 + 550);
  EXPECT_EQ(second.top, 463);
}

TEST(ApplicationTitle, FileNameCutAtTheFirstFullStopInLowerCaseAfterTheFirstLetter) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Program Files\\PUMPCALC.EXE", "Pumpcalc"},
      {"Z:\\work\\Pump.Calc.exe", "Pump"},
      {"/work/main/build/windows/bin/pumpcalc.exe", "pumpcalc"},
      {"C:\\x\\ABC", "Abc"},
      {"C:\\x\\.hidden", ""},
      {"C:\\泵\\泵计算.EXE", "泵计算"},
  };
  for (const auto& [path, title] : cases) EXPECT_EQ(deriveApplicationTitle(path), title) << path;
}

}  // namespace
}  // namespace pumpcalc
