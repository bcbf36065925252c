#include "app/box_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/utf8.h"

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

// Against cutting a list of characters, over texts of one- to four-byte characters of every
// length up to 12 and every keep.
TEST(CutInTheMiddle, AgreesWithCuttingAListOfCharacters) {
  const std::string characters[] = {"a", " ", "\xC3\xA9", "\xE6\xB3\xB5", "\xF0\x9F\x92\xA7"};
  for (std::size_t length = 0; length <= 12; ++length) {
    std::vector<std::string> listed;
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
      listed.push_back(characters[(i * 7 + length) % 5]);
      text += listed.back();
    }
    for (std::size_t keep = 0; keep <= 7; ++keep) {
      std::string expected = text;
      if (length > 2 * keep) {
        expected.clear();
        for (std::size_t i = 0; i < keep; ++i) expected += listed[i];
        expected += "…";
        for (std::size_t i = length - keep; i < length; ++i) expected += listed[i];
      }
      EXPECT_EQ(cutInTheMiddle(text, keep), expected) << length << ", " << keep;
    }
  }
}

TEST(ShortenableMessage, CutsOnlyTheEchoedInputOfAnInvalidValueMessage) {
  const auto box = [](const std::string& message) { return message + "."; };
  EConvertError unread(sInvalidFloatingPointValue, {"abcdefgh"});
  unread.unreadText = "abcdefgh";
  unread.unreadTextOffset = 1;
  const platform::ShortenableText invalid = shortenableMessage(&unread, box);
  EXPECT_EQ(invalid.whole, 4u);
  EXPECT_EQ(invalid.wholeText(), "'abcdefgh' is not a valid floating point value.");
  EXPECT_EQ(invalid.keeping(3), "'abc…fgh' is not a valid floating point value.");
  EXPECT_EQ(invalid.keeping(0), "'…' is not a valid floating point value.");

  // Any other message is cut as a whole.
  const Exception overflow("Floating point overflow");
  const platform::ShortenableText other = shortenableMessage(&overflow, box);
  EXPECT_EQ(other.wholeText(), "Floating point overflow.");
  EXPECT_EQ(other.keeping(3), "Flo…low.");
}

TEST(WholeCharactersWithin, NeverEndsInsideACharacter) {
  EXPECT_EQ(wholeCharactersWithin("abc", 5), "abc");
  EXPECT_EQ(wholeCharactersWithin("ab泵", 4), "ab");  // the third character needs 3 bytes
  EXPECT_EQ(wholeCharactersWithin("ab泵", 5), "ab泵");
  EXPECT_EQ(wholeCharactersWithin("\U0001F4A7\U0001F4A7", 7), "\U0001F4A7");
}

// Rooms of the two kinds a box has: one line that grows with the text (a word too long to
// wrap), and whole lines of a wrapped text, which fill in steps; with a fixed part (the rest
// of the message), from every kind of first guess.
TEST(LongestFitting, FindsTheLastThatFitsMeasuringOnlyAFew) {
  struct Room {
    const char* name;
    std::size_t whole;
    std::function<double(std::size_t)> share;
  };
  const auto lines = [](std::size_t keep) { return std::ceil((2.0 * keep + 40) / 45); };
  const Room rooms[] = {
      {"one line", 10000, [](std::size_t keep) { return (2.0 * keep + 40) / 1200; }},
      {"whole lines", 50000, [&](std::size_t keep) { return lines(keep) / 67; }},
      {"all of it fits", 700, [&](std::size_t keep) { return lines(keep) / 67; }},
      {"nothing fits", 500, [](std::size_t keep) { return 2.0 + keep; }},
  };
  for (const Room& room : rooms) {
    std::size_t longest = 0;  // by trying every one
    while (longest < room.whole && room.share(longest + 1) <= 1) ++longest;
    for (std::size_t estimate : {std::size_t{0}, std::size_t{1}, longest / 2, longest, longest + 1,
                                 3 * longest + 7, room.whole}) {
      int measured = 0;
      const std::size_t found =
          platform::longestFitting(0, room.whole, estimate, [&](std::size_t keep) {
            ++measured;
            return room.share(keep);
          });
      EXPECT_EQ(found, longest) << room.name << ", from " << estimate;
      EXPECT_LE(measured, 16) << room.name << ", from " << estimate;
    }
  }
  // A part of the range: what is known to fit, and what is known not to.
  const auto share = [](std::size_t keep) { return keep / 100.0; };
  EXPECT_EQ(platform::longestFitting(60, 80, 61, share), 80u);
  EXPECT_EQ(platform::longestFitting(0, 59, 59, share), 59u);
  EXPECT_EQ(platform::longestFitting(101, 300, 102, share), 101u);
}

}  // namespace
}  // namespace pumpcalc
