#include "app/last_resort.h"

#include <gtest/gtest.h>

#include "platform/module_lookup.h"

namespace pumpcalc {
namespace {

TEST(FormatFallbackText, TwoLinesWithClassModuleOffsetAndMessage) {
  const std::string program = fileNameWithoutDirectory(platform::programFileName());
  struct Case {
    std::string message;
    std::string expectedSecondLine;
  };
  const Case cases[] = {
      {"Stream read error", "Stream read error."},
      {"Ends in a period.", "Ends in a period."},
      {"Why?", "Why?."},
      {"", ""},
  };
  for (const Case& c : cases) {
    const Exception error(c.message);
    // An address in no module is counted from the program's code section.
    EXPECT_EQ(platform::formatFallbackText(&error, "EReadError", 0x1234 + 0x1000),
              "Exception EReadError in module " + program + " at 00001234.\r\n" +
                  c.expectedSecondLine + "\r\n");
  }
  EXPECT_EQ(platform::formatFallbackText(nullptr, "int", 0),
            "Exception int in module " + program + " at 00000000.\r\n\r\n");
}

TEST(FormatFallbackText, CountsTheOffsetFromTheModuleThatHoldsTheAddress) {
  const auto inside = reinterpret_cast<std::uintptr_t>(&platform::programFileName);
  const auto module = platform::findModuleAt(inside).value();
  const Exception error("x");
  EXPECT_EQ(platform::formatFallbackText(&error, "Exception", inside),
            "Exception Exception in module " + fileNameWithoutDirectory(module.fileName) + " at " +
                formatText("%p", {FormatArg::address(inside - module.base)}) + ".\r\nx.\r\n");
}

TEST(FormatFallbackText, IsCutTo1023BytesNeverInsideACharacter) {
  const Exception error(std::string(5000, 'm'));
  EXPECT_EQ(platform::formatFallbackText(&error, "Exception", 0).size(), 1023u);
  std::string chinese;
  for (int i = 0; i < 2000; ++i) chinese += "泵";
  const Exception wide(chinese);
  const std::string text = platform::formatFallbackText(&wide, "Exception", 0);
  const std::size_t message = text.find("\r\n") + 2;
  EXPECT_GE(text.size(), 1021u);
  EXPECT_EQ((text.size() - message) % 3, 0u) << text.size();
}

}  // namespace
}  // namespace pumpcalc
