#include "core/decimal_parse.h"

#include <gtest/gtest.h>

#include <string>

#include "core/errors.h"
#include "core/float_unit.h"
#include "tests/core/test_values.h"

namespace pumpcalc {
namespace {

using test::bits;
using test::integer;

struct Accepted {
  std::string text;
  ExtendedReal expected;
};

TEST(TextToExtended, AcceptsTheSyntaxAndGivesExactBits) {
  const Accepted cases[] = {
      {" 12 ", integer(12)},
      {"007", integer(7)},
      {"+3", integer(3)},
      {"-2.5", bits(0xC000, 0xA000000000000000u)},
      {".", test::positiveZero},
      {"-.", test::negativeZero},
      {"-0", test::negativeZero},
      {".e5", test::positiveZero},
      {"5.", integer(5)},
      {".5", bits(0x3FFE, 0x8000000000000000u)},
      {"1e", integer(1)},
      {"1e+", integer(1)},
      {"1e-", integer(1)},
      {"1E5", integer(100000)},
      {"1e+5", integer(100000)},
      {"1e0000000000005", integer(100000)},
      {"0e4999", test::positiveZero},
      {"1e-4951", test::positiveZero},
      {"1e-4999", test::positiveZero},
      // Nineteen digits beyond 2^63, still exact.
      {"9999999999999999999", bits(0x403E, 0x8AC7230489E7FFFFu)},
      {"999999999999999999.9", bits(0x403A, 0xDE0B6B3A763FFFFEu)},
      // Nearest value.
      {"0.1", bits(0x3FFB, 0xCCCCCCCCCCCCCCCDu)},
      // 10 × 10^32 is a tie and goes to the even neighbour (nearest would end in 305).
      {"1e33", bits(0x406C, 0xC5371912364CE306u)},
      // Every digit step rounds (nearest would end in 077).
      {"123456789012345678901234567890", bits(0x405F, 0xC77487FB61B9F076u)},
      // Divided by 10^30 in one rounded step (nearest would end in C32).
      {"1e-30", bits(0x3F9B, 0xA2425FF75E14FC31u)},
      // Ends at the first NUL byte.
      {std::string("42\0junk", 7), integer(42)},
  };
  for (const Accepted& c : cases) {
    ExtendedReal value;
    EXPECT_TRUE(tryTextToExtended(c.text, value)) << '"' << c.text << '"';
    EXPECT_EQ(value, c.expected) << '"' << c.text << '"';
  }
}

TEST(TextToExtended, RejectsEverythingOutsideTheSyntax) {
  const std::string rejected[] = {
      "",
      "   ",
      "+",
      "-",
      "e5",
      "-e5",
      "\t1",
      "1\t",
      "- 5",
      "+-5",
      "--5",
      "1 e5",
      "1e 5",
      "1e+-5",
      "1d5",
      "1.5.3",
      "1,000",
      "0x10",
      "inf",
      "nan",
      "1e5000",
      "1e10000",
      "\xEF\xBC\x91",  // a full-width digit
  };
  for (const std::string& text : rejected) {
    ExtendedReal value;
    EXPECT_FALSE(tryTextToExtended(text, value)) << '"' << text << '"';
  }
}

TEST(TextToExtended, OverflowIsRejectedUnderflowIsNot) {
  ExtendedReal value;
  EXPECT_TRUE(tryTextToExtended("1e1000", value));
  EXPECT_FALSE(tryTextToExtended("1e4999", value));
  EXPECT_TRUE(tryTextToExtended("0.0001e4935", value));
  EXPECT_EQ(value.biasedExponent(), 0x7FFB);
  EXPECT_TRUE(tryTextToExtended(std::string(4932, '9'), value));
  EXPECT_FALSE(tryTextToExtended(std::string(4933, '9'), value));
  // The accumulator overflows although the separator would bring the value back.
  EXPECT_FALSE(tryTextToExtended("0." + std::string(5000, '9'), value));
  // Fraction digits far beyond any exponent give zero.
  EXPECT_TRUE(tryTextToExtended("0." + std::string(100000, '0') + "1", value));
  EXPECT_EQ(value, test::positiveZero);
}

TEST(TextToExtended, LeavesTheCallersControlWordAndNoFlags) {
  for (const char* text : {"1e4999", "1e-4999", "0.1", "x"}) {
    floatUnit() = {0x1332, flagPrecision};
    ExtendedReal value;
    tryTextToExtended(text, value);
    EXPECT_EQ(floatUnit().controlWord, 0x1332) << text;
    EXPECT_EQ(floatUnit().flags, 0) << text;
  }
}

TEST(TextToExtended, UsesTheDecimalSeparatorOfTheMomentItStarts) {
  ExtendedReal value;
  {
    test::SeparatorScope comma(',');
    EXPECT_TRUE(tryTextToExtended("1,5", value));
    EXPECT_EQ(value, bits(0x3FFF, 0xC000000000000000u));
    EXPECT_FALSE(tryTextToExtended("1.5", value));
  }
  {
    // An empty locale symbol makes the separator NUL, which never matches the text's end.
    test::SeparatorScope none('\0');
    EXPECT_TRUE(tryTextToExtended("15", value));
    EXPECT_TRUE(tryTextToExtended(std::string("1\0"
                                              "5",
                                              3),
                                  value));
    EXPECT_EQ(value, integer(1));
    EXPECT_FALSE(tryTextToExtended("1.5", value));
  }
}

TEST(TextToExtended, RaisesConvertErrorNamingTheWholeText) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "'' is not a valid floating point value"},
      {" 1x ", "' 1x ' is not a valid floating point value"},
      {"1e4999", "'1e4999' is not a valid floating point value"},
      {"%s", "'%s' is not a valid floating point value"},
  };
  for (const auto& [text, message] : cases) {
    try {
      textToExtended(text);
      ADD_FAILURE() << "no error for '" << text << "'";
    } catch (const EConvertError& error) {
      EXPECT_EQ(error.message(), message);
      EXPECT_STREQ(error.className(), "EConvertError");
    }
  }
  const std::string longText(10000, 'x');
  try {
    textToExtended(longText);
    ADD_FAILURE();
  } catch (const EConvertError& error) {
    EXPECT_EQ(error.message(), "'" + longText + "' is not a valid floating point value");
  }
}

}  // namespace
}  // namespace pumpcalc
