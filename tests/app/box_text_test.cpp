#include "app/box_text.h"

#include <gtest/gtest.h>

#include <string>

namespace pumpcalc {
namespace {

TEST(CutInTheMiddle, KeepsWholeCharactersAtBothEnds) {
  struct Case {
    std::string text;
    std::size_t keep;
    std::string expected;
  };
  const Case cases[] = {
      {"abcdefgh", 2, "ab…gh"},
      {"abcdefgh", 4, "abcdefgh"},  // nothing to cut
      {"abcdefgh", 0, "…"},
      {"泵的流量为泵", 2, "泵的…为泵"},  // three bytes each
      {"\U0001F4A7\U0001F4A7x\U0001F4A7\U0001F4A7", 1, "\U0001F4A7…\U0001F4A7"},  // four
      {"", 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(cutInTheMiddle(c.text, c.keep), c.expected) << c.text;
}

TEST(ShortenableMessage, CutsOnlyTheEchoedInputOfAnInvalidValueMessage) {
  const auto box = [](const std::string& message) { return message + "."; };
  const platform::ShortenableText invalid =
      shortenableMessage("'abcdefgh' is not a valid floating point value", box);
  EXPECT_EQ(invalid.whole, 4u);
  EXPECT_EQ(invalid.wholeText(), "'abcdefgh' is not a valid floating point value.");
  EXPECT_EQ(invalid.keeping(3), "'abc…fgh' is not a valid floating point value.");
  EXPECT_EQ(invalid.keeping(0), "'…' is not a valid floating point value.");

  // Any other message is cut as a whole.
  const platform::ShortenableText other = shortenableMessage("Floating point overflow", box);
  EXPECT_EQ(other.wholeText(), "Floating point overflow.");
  EXPECT_EQ(other.keeping(3), "Flo…low.");
}

TEST(WholeCharactersWithin, NeverEndsInsideACharacter) {
  EXPECT_EQ(wholeCharactersWithin("abc", 5), "abc");
  EXPECT_EQ(wholeCharactersWithin("ab泵", 4), "ab");  // the third character needs 3 bytes
  EXPECT_EQ(wholeCharactersWithin("ab泵", 5), "ab泵");
  EXPECT_EQ(wholeCharactersWithin("\U0001F4A7\U0001F4A7", 7), "\U0001F4A7");
}

}  // namespace
}  // namespace pumpcalc
