#include "app/last_resort.h"

#include <gtest/gtest.h>

#include "app/module_lookup.h"
#include "app/os_error.h"
#include "app/runtime_error_exit.h"

namespace pumpcalc {
namespace {

TEST(FormatFallbackText, TwoLinesWithClassModuleOffsetAndMessage) {
  const std::string program = fileNameWithoutDirectory(programFileName());
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
    EXPECT_EQ(formatFallbackText(&error, "EReadError", 0x1234 + 0x1000),
              "Exception EReadError in module " + program + " at 00001234.\r\n" +
                  c.expectedSecondLine + "\r\n");
  }
  EXPECT_EQ(formatFallbackText(nullptr, "int", 0),
            "Exception int in module " + program + " at 00000000.\r\n\r\n");
}

TEST(FormatFallbackText, CountsTheOffsetFromTheModuleThatHoldsTheAddress) {
  const auto inside = reinterpret_cast<std::uintptr_t>(&programFileName);
  const auto module = findModuleAt(inside).value();
  const Exception error("x");
  EXPECT_EQ(formatFallbackText(&error, "Exception", inside),
            "Exception Exception in module " + fileNameWithoutDirectory(module.fileName) + " at " +
                formatText("%p", {FormatArg::address(inside - module.base)}) + ".\r\nx.\r\n");
}

TEST(FormatFallbackText, IsCutTo1023Characters) {
  const Exception error(std::string(5000, 'm'));
  EXPECT_EQ(formatFallbackText(&error, "Exception", 0).size(), 1023u);
}

TEST(RuntimeErrorText, FillsNumberAndAddressInPlace) {
  EXPECT_EQ(runtimeErrorText(217, 0x12345678), "Runtime error 217 at 12345678");
  EXPECT_EQ(runtimeErrorText(5, 0), "Runtime error   5 at 00000000");
  EXPECT_EQ(runtimeErrorText(217, 0x140001234), "Runtime error 217 at 140001234");
}

TEST(OsErrorMessage, NumberAndTheSystemsTextWithoutTrailingPunctuation) {
  EXPECT_EQ(osErrorMessage(0, "ignored"), "A call to an OS function failed");
  EXPECT_EQ(osErrorMessage(2, "The system cannot find the file specified.\r\n"),
            "System Error.  Code: 2.\r\nThe system cannot find the file specified");
  EXPECT_EQ(osErrorMessage(5, "... \r\n"), "System Error.  Code: 5.\r\n");
}

#ifdef _WIN32
TEST(MakeOSError, CarriesTheNumberAndTheSystemsText) {
  const EOSError error = makeOSError(2);
  EXPECT_EQ(error.osErrorNumber, 2u);
  EXPECT_EQ(error.message().rfind("System Error.  Code: 2.\r\n", 0), 0u) << error.message();
  EXPECT_GT(error.message().size(), 25u);
  EXPECT_NE(error.message().back(), '.');
  EXPECT_EQ(makeOSError(0).message(), "A call to an OS function failed");
}
#endif

}  // namespace
}  // namespace pumpcalc
