#include "core/motor_rating.h"

#include <gtest/gtest.h>

#include <string>

#include "core/decimal_parse.h"
#include "tests/core/test_values.h"

namespace pumpcalc {
namespace {

ExtendedReal parsed(const char* text) { return textToExtended(text); }
ExtendedReal nextUp(ExtendedReal x) { return {x.significand + 1, x.signExponent}; }
ExtendedReal nextDown(ExtendedReal x) { return {x.significand - 1, x.signExponent}; }

std::string chosen(const MotorRatings& ratings, ExtendedReal power) {
  const RatingChoice choice = ratings.choose(power);
  return (choice.aboveLargest ? ">" : "") + choice.rating.text;
}

TEST(MotorRating, TheSmallestRatingAtOrAboveThePower) {
  const MotorRatings standard = standardMotorRatings();
  // "18.50000000000000000001" is 18.5 in extended precision: equal, and taken as written.
  const MotorRatings vendor(
      std::get<MotorRatings>(parseMotorRatings("22\n18.50000000000000000001\n15\n")));
  ASSERT_EQ(compare(vendor.ascending()[1].value, parsed("18.5")),
            std::partial_ordering::equivalent);
  struct Case {
    const MotorRatings& ratings;
    ExtendedReal power;
    std::string expected;
  } cases[] = {
      {standard, parsed("18.7227668845316"), "22"},
      {standard, parsed("18.5"), "18.5"},
      {standard, nextDown(parsed("18.5")), "18.5"},
      {standard, nextUp(parsed("18.5")), "22"},
      {standard, parsed("0.06"), "0.06"},
      {standard, test::positiveZero, "0.06"},
      {standard, parsed("1000"), "1000"},
      {standard, nextUp(parsed("1000")), ">1000"},
      {vendor, parsed("18.5"), "18.50000000000000000001"},
      {vendor, nextUp(parsed("18.5")), "22"},
      {vendor, parsed("1"), "15"},
      {vendor, parsed("22.5"), ">22"},
  };
  for (const Case& c : cases) EXPECT_EQ(chosen(c.ratings, c.power), c.expected) << c.expected;
}

TEST(MotorRating, StandardSeriesUsesTheDecimalSeparator) {
  test::SeparatorScope comma(',');
  const MotorRatings standard = standardMotorRatings();
  EXPECT_EQ(standard.ascending().size(), 41u);
  EXPECT_EQ(standard.ascending()[0].text, "0,06");
  EXPECT_EQ(chosen(standard, parsed("5,4")), "5,5");
}

TEST(MotorRating, VendorListsAndTheirFaults) {
  const auto list = parseMotorRatings(
      "\xEF\xBB\xBF"
      "7.5\r\n\n  \r\n 3 \r\n");
  ASSERT_TRUE(std::holds_alternative<MotorRatings>(list));
  EXPECT_EQ(std::get<MotorRatings>(list).ascending()[0].text, " 3 ");

  struct Bad {
    std::string text;
    std::size_t line;
    std::string message;
  } bad[] = {
      {"4\n5\nfive\n", 3, "'five' is not a valid floating point value"},
      {"4\n1,5\n", 2, "'1,5' is not a valid floating point value"},
      {"4\n0\n", 2, "'0' is not above zero"},
      {"-4\n", 1, "'-4' is not above zero"},
      {std::string("4\0"
                   "5\n",
                   4),
       1, "the line holds a NUL byte"},
      {"\n \n", 0, "no ratings in the list"},
  };
  for (const Bad& b : bad) {
    const auto result = parseMotorRatings(b.text);
    ASSERT_TRUE(std::holds_alternative<MotorRatingsError>(result)) << b.message;
    EXPECT_EQ(std::get<MotorRatingsError>(result).line, b.line) << b.message;
    EXPECT_EQ(std::get<MotorRatingsError>(result).message, b.message);
  }
}

}  // namespace
}  // namespace pumpcalc
