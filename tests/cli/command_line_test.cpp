#include "cli/command_line.h"

#include <gtest/gtest.h>

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
