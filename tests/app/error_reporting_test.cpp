// The text of an error box (Windows only: the reporting lives with the window system).
#ifdef _WIN32
#include "app/error_reporting.h"

#include <gtest/gtest.h>

namespace pumpcalc {
namespace {

TEST(ErrorBoxText, APeriodOnlyAfterACharacterAboveTheFullStop) {
  const std::pair<std::string, std::string> cases[] = {
      {"Floating point overflow", "Floating point overflow."},
      {"Ends in a period.", "Ends in a period."},
      {"Shouted!", "Shouted!"},
      {"(aside)", "(aside)"},
      {"line\n", "line\n"},
      {"blank ", "blank "},
      {"Why?", "Why?."},
      {"Note:", "Note:."},
      {"Number 7", "Number 7."},
      {"确定要关闭吗", "确定要关闭吗."},
      {"", ""},
  };
  for (const auto& [message, text] : cases) EXPECT_EQ(errorBoxText(message), text) << message;
}

}  // namespace
}  // namespace pumpcalc
#endif
