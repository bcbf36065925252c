#include "core/error_texts.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/win32/os_error.h"
#endif

namespace pumpcalc {
namespace {

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
  const EOSError error = platform::makeOSError(2);
  EXPECT_EQ(error.osErrorNumber, 2u);
  EXPECT_EQ(error.message().rfind("System Error.  Code: 2.\r\n", 0), 0u) << error.message();
  EXPECT_GT(error.message().size(), 25u);
  EXPECT_NE(error.message().back(), '.');
  EXPECT_EQ(platform::makeOSError(0).message(), "A call to an OS function failed");
}
#endif

}  // namespace
}  // namespace pumpcalc
