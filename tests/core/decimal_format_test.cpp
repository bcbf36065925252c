#include "core/decimal_format.h"

#include <gtest/gtest.h>

#include <string>

#include "core/float_unit.h"
#include "tests/core/test_values.h"

namespace pumpcalc {
namespace {

using test::bits;
using test::integer;

struct Formatted {
  const char* what;
  ExtendedReal value;
  std::string text;
};

std::string format(ExtendedReal value, int precision, int exponentDigits) {
  char buffer[formatBufferSize];
  return std::string(buffer, formatGeneral(value, precision, exponentDigits, buffer));
}

TEST(ExtendedToText, GeneralFormWithFifteenDigits) {
  const Formatted cases[] = {
      {"zero", test::positiveZero, "0"},
      {"negative zero", test::negativeZero, "0"},
      {"a denormal", bits(0x8000, 1), "0"},
      {"1", integer(1), "1"},
      {"100", integer(100), "100"},
      {"-2.5", bits(0xC000, 0xA000000000000000u), "-2.5"},
      {"1/3", integer(1) / integer(3), "0.333333333333333"},
      {"2/3", integer(2) / integer(3), "0.666666666666667"},
      {"-1/3", integer(-1) / integer(3), "-0.333333333333333"},
      {"10/3", integer(10) / integer(3), "3.33333333333333"},
      {"123456789.123456789", bits(0x4019, 0xEB79A2A3F35BA6E7u), "123456789.123457"},
      {"10^14", integer(100000000000000), "100000000000000"},
      {"999999999999999", integer(999999999999999), "999999999999999"},
      {"999999999999999.4", bits(0x4030, 0xE35FA9319FFFD99Au), "999999999999999"},
      {"999999999999999.5", integer(1999999999999999) / integer(2), "1E15"},
      {"10^15", integer(1000000000000000), "1E15"},
      {"1234567890123456", integer(1234567890123456), "1.23456789012346E15"},
      {"2^64", bits(0x403F, 0x8000000000000000u), "1.84467440737096E19"},
      {"0.0001", bits(0x3FF1, 0xD1B71758E219652Cu), "0.0001"},
      {"double 0.0001", fromBinary64(0x3F1A36E2EB1C432Du), "0.0001"},
      {"0.000123", bits(0x3FF2, 0x80F98FA376922D95u), "0.000123"},
      {"0.00009999999999999999", bits(0x3FF1, 0xD1B71758E2195F45u), "0.0001"},
      {"0.00001", bits(0x3FEE, 0xA7C5AC471B478423u), "1E-5"},
      {"0.0000123", bits(0x3FEE, 0xCE5C19058A837C21u), "1.23E-5"},
      {"-0.0000000001", bits(0xBFDD, 0xDBE6FECEBDEDD5BFu), "-1E-10"},
      {"double 0.1", fromBinary64(0x3FB999999999999Au), "0.1"},
      // Just below the midpoint, yet the 18-digit string rounds up.
      {"1.000000000000025", bits(0x3FFF, 0x80000000000384B8u), "1.00000000000003"},
      {"1.000000000000095", bits(0x3FFF, 0x80000000000D5EBCu), "1.0000000000001"},
      {"largest double", fromBinary64(0x7FEFFFFFFFFFFFFFu), "1.79769313486232E308"},
      {"2^-1074", fromBinary64(1), "4.94065645841247E-324"},
      {"largest extended", bits(0x7FFE, 0xFFFFFFFFFFFFFFFFu), "1.18973149535723E4932"},
      {"2^-16382", bits(0x0001, 0x8000000000000000u), "3.36210314311209E-4932"},
      // The exponent estimate is one too large here: the digits begin with 0.
      {"9.98e-206", bits(0x3D56, 0x802A1901F1940D98u), "0.998E-205"},
      {"+inf", test::positiveInfinity, "INF"},
      {"-inf", -test::positiveInfinity, "-INF"},
      {"nan", bits(0x7FFF, 0xC000000000000000u), "NAN"},
      {"-nan", bits(0xFFFF, 0xC000000000000001u), "NAN"},
      {"pseudo-infinity", bits(0xFFFF, 0x4000000000000000u), "-INF"},
  };
  for (const Formatted& c : cases) {
    EXPECT_EQ(extendedToText(c.value), c.text) << c.what;
  }
  resetFloatUnit();
}

TEST(ExtendedToText, TheCalculatorsShaftPowerRoundsIntoTheFourteenthDigit) {
  // 17.020697167755991812…: the 16th digit 9 carries.
  const ExtendedReal shaftPower = integer(5000) / fromBinary64(0x40725C28F5C28F5Cu);
  EXPECT_EQ(extendedToText(shaftPower), "17.020697167756");
  test::SeparatorScope comma(',');
  EXPECT_EQ(extendedToText(shaftPower), "17,020697167756");
  EXPECT_EQ(extendedToText(bits(0x4013, 0x96B43C0000000000u)), "1234567,5");
  resetFloatUnit();
}

TEST(FormatGeneral, PrecisionAndExponentDigitsAreClamped) {
  const ExtendedReal third = integer(1) / integer(3);
  EXPECT_EQ(format(third, 18, 0), "0.333333333333333333");
  EXPECT_EQ(format(third, 30, 0), "0.333333333333333333");
  EXPECT_EQ(format(third, 1, 0), "0.33");
  EXPECT_EQ(format(third, -5, 0), "0.33");
  EXPECT_EQ(format(integer(1000000000000000), 16, 0), "1000000000000000");
  const ExtendedReal tenThousandth = bits(0x3FEE, 0xA7C5AC471B478423u);
  EXPECT_EQ(format(tenThousandth, 15, 3), "1E-005");
  const ExtendedReal big = bits(0x43E4, 0x8F596B3002C1A5E2u);
  EXPECT_EQ(format(big, 15, 4), "1.5E0300");
  EXPECT_EQ(format(big, 15, 5), "1.5E300");
  EXPECT_EQ(format(big, 15, -1), "1.5E300");
  resetFloatUnit();
}

TEST(ToDecimalDigits, RoundsTheEighteenDigitStringHalfUp) {
  struct Case {
    ExtendedReal value;
    int precision;
    int exponent;
    bool negative;
    std::string digits;
  };
  const Case cases[] = {
      {integer(999999), 2, 7, false, "1"},
      {integer(-125), 2, 3, true, "13"},
      {integer(1205), 3, 4, false, "121"},
      {integer(1204), 3, 4, false, "12"},
      {bits(0x8000, 0), 15, 0, false, ""},
      {test::positiveInfinity, 15, 32767, false, ""},
      {bits(0xFFFF, 0xC000000000000000u), 15, -32768, false, ""},
  };
  for (const Case& c : cases) {
    const DecimalDigits d = toDecimalDigits(c.value, c.precision);
    EXPECT_EQ(d.exponent, c.exponent) << c.digits;
    EXPECT_EQ(d.negative, c.negative) << c.digits;
    EXPECT_EQ(std::string(d.digits), c.digits);
  }
  resetFloatUnit();
}

TEST(FormatGeneral, UnsupportedEncodingsNeverWriteOutOfBounds) {
  // Unnormals (integer bit clear) at every exponent: whatever the arithmetic makes of
  // them, the text stays short and well-formed.
  for (int exponent = 1; exponent < 0x7FFF; exponent += 97) {
    for (std::uint64_t significand :
         {0x0000000000000001ull, 0x4000000000000000ull, 0x7FFFFFFFFFFFFFFFull}) {
      const std::string text =
          format(bits(static_cast<std::uint16_t>(exponent), significand), 18, 4);
      EXPECT_LE(text.size(), 26u) << exponent;
      EXPECT_FALSE(text.empty()) << exponent;
    }
  }
  resetFloatUnit();
}

}  // namespace
}  // namespace pumpcalc
