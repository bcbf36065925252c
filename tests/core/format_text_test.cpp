#include "core/format_text.h"

#include <gtest/gtest.h>

namespace pumpcalc {
namespace {

TEST(FormatText, FillsEachDirectiveWithItsArgument) {
  struct Case {
    std::string expected, actual;
  };
  const Case cases[] = {
      {"'1x' is bad", formatText("'%s' is bad", {"1x"})},
      {"Code: 5.", formatText("Code: %d.", {5})},
      {"-42", formatText("%d", {-42})},
      {"4294967295", formatText("%d", {4294967295u})},
      {"C0000135", formatText("%x", {0xC0000135u})},
      {"0", formatText("%x", {0u})},
      {"00000000 12345678",
       formatText("%p %p", {FormatArg::address(0), FormatArg::address(0x12345678)})},
      {"140001234", formatText("%p", {FormatArg::address(0x140001234)})},
      {"100%", formatText("100%%", {})},
      // Missing or mismatched arguments are written as the template stands.
      {"%s and %d", formatText("%s and %d", {})},
      {"%s", formatText("%s", {7})},
      {"a %", formatText("a %", {"x"})},
  };
  for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected);
}

}  // namespace
}  // namespace pumpcalc
