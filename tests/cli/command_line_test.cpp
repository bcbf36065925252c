#include "cli/command_line.h"

#include <gtest/gtest.h>

#include "tests/core/test_values.h"

namespace pumpcalc::cli {
namespace {

TEST(CommandLine, AcceptsValuesBatchAndSeparator) {
  auto single = parseCommandLine({"100", "-50", "80"});
  ASSERT_TRUE(std::holds_alternative<Options>(single));
  const Options& options = std::get<Options>(single);
  EXPECT_EQ(options.mode, Mode::single);
  EXPECT_EQ(options.head, "-50");
  EXPECT_FALSE(options.decimalSeparator);

  auto batch = parseCommandLine({"--decimal-separator", ",", "--batch"});
  ASSERT_TRUE(std::holds_alternative<Options>(batch));
  EXPECT_EQ(std::get<Options>(batch).mode, Mode::batch);
  EXPECT_EQ(std::get<Options>(batch).decimalSeparator, ',');

  auto dashed = parseCommandLine({"--", "-e5", "1", "2"});
  ASSERT_TRUE(std::holds_alternative<Options>(dashed));
  EXPECT_EQ(std::get<Options>(dashed).flow, "-e5");

  EXPECT_EQ(std::get<Options>(parseCommandLine({"1", "--help"})).mode, Mode::help);
}

TEST(CommandLine, ReportsUsageErrors) {
  const std::vector<std::vector<std::string_view>> bad = {
      {},
      {"1", "2"},
      {"1", "2", "3", "4"},
      {"--batch", "1"},
      {"--decimal-separator"},
      {"--decimal-separator", "", "1", "2", "3"},
      {"--decimal-separator", "ab", "--batch"},
      {"--frobnicate"},
      {"--format", "xls"},
      {"--header", "1", "2", "3"},
      {"--columns", "Q,H,eta"},
      {"--columns", "1,2"},
      {"--columns", "0,1,2"},
      {"--columns", "1,,2", "--header"},
      {"--field-separator", "\"", "--batch"},
      {"--field-separator", "x", "--batch"},
      {"--field-separator", "-", "--batch"},
      {"--threads", "0", "--batch"},
      {"--threads", "2x", "--batch"},
      {"--input"},
      {"--columns", "1,2,3,4,5"},
      {"--columns", "1,2,3,4", "--specific-gravity", "1"},
      {"--margin"},
  };
  for (const auto& args : bad) {
    EXPECT_TRUE(std::holds_alternative<UsageError>(parseCommandLine(args))) << args.size();
  }
}

TEST(CommandLine, BatchOptionsSelectBatchMode) {
  const auto parsed =
      parseCommandLine({"--format", "csv", "--header", "--columns", "\"flow, m3/h\",3,eta",
                        "--motor-ratings", "r.txt", "--output", "out.csv", "--threads", "4"});
  ASSERT_TRUE(std::holds_alternative<Options>(parsed));
  const Options& options = std::get<Options>(parsed);
  EXPECT_EQ(options.mode, Mode::batch);
  EXPECT_EQ(options.format, TableFormat::csv);
  EXPECT_TRUE(options.header && options.motorRating);
  EXPECT_EQ((*options.columns)[0].name, "flow, m3/h");
  EXPECT_EQ((*options.columns)[1].number, 3u);
  EXPECT_EQ(options.outputFile, "out.csv");
  EXPECT_EQ(options.threads, 4u);
  // --motor-rating alone keeps single mode: a fourth line.
  EXPECT_EQ(std::get<Options>(parseCommandLine({"--motor-rating", "1", "2", "3"})).mode,
            Mode::single);
}

TEST(CommandLine, SpecificGravityAndMarginServeBothModes) {
  const auto single =
      parseCommandLine({"--specific-gravity", "0.85", "--margin", "1.25", "1", "2", "3"});
  ASSERT_TRUE(std::holds_alternative<Options>(single));
  EXPECT_EQ(std::get<Options>(single).mode, Mode::single);
  EXPECT_EQ(std::get<Options>(single).specificGravity, "0.85");
  EXPECT_TRUE(std::get<Options>(single).motorRating);  // the margin chooses the motor
  const auto batch = parseCommandLine({"--columns", "1,2,3,SG", "--header"});
  ASSERT_TRUE(std::holds_alternative<Options>(batch));
  EXPECT_EQ((*std::get<Options>(batch).columns)[3].name, "SG");
}

TEST(CommandLine, TheMarginIsANumberOfAtLeastOne) {
  struct Case {
    const char* text;
    char decimalSeparator;
    const char* error;  // a part of the usage error, or nullptr
  } cases[] = {
      {"1.25", '.', nullptr},    {"1", '.', nullptr},
      {"1,25", ',', nullptr},    {"1.25", ',', "not a number (with the decimal separator ',')"},
      {"0.99", '.', "below 1"},  {"-2", '.', "below 1"},
      {"", '.', "not a number"}, {"1e5000", '.', "not a number"},
  };
  for (const Case& c : cases) {
    pumpcalc::test::SeparatorScope separator(c.decimalSeparator);
    const auto margin = marginValue(c.text);
    if (c.error == nullptr) {
      EXPECT_TRUE(std::holds_alternative<ExtendedReal>(margin)) << c.text;
    } else {
      ASSERT_TRUE(std::holds_alternative<UsageError>(margin)) << c.text;
      EXPECT_NE(std::get<UsageError>(margin).message.find(c.error), std::string::npos)
          << std::get<UsageError>(margin).message;
    }
  }
}

TEST(CommandLine, TheFieldSeparatorFollowsTheDecimalSeparator) {
  struct Case {
    std::vector<std::string_view> args;
    char decimalSeparator;
    char expected;  // 0: a usage error
  } cases[] = {
      {{"--batch"}, '.', '\t'},
      {{"--batch"}, '\t', 0},
      {{"--format", "csv"}, '.', ','},
      {{"--format", "csv"}, ',', ';'},
      {{"--format", "csv", "--field-separator", ","}, ',', ','},
      {{"--field-separator", ","}, ',', 0},
      {{"--field-separator", "|"}, ',', '|'},
  };
  for (const Case& c : cases) {
    const auto dialect =
        batchDialect(std::get<Options>(parseCommandLine(c.args)), c.decimalSeparator);
    if (c.expected == 0) {
      EXPECT_TRUE(std::holds_alternative<UsageError>(dialect)) << c.args.back();
    } else {
      EXPECT_EQ(std::get<TableDialect>(dialect).separator, c.expected) << c.args.back();
    }
  }
}

}  // namespace
}  // namespace pumpcalc::cli
