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
  };
  for (const auto& args : bad) {
    EXPECT_TRUE(std::holds_alternative<UsageError>(parseCommandLine(args))) << args.size();
  }
}

}  // namespace
}  // namespace pumpcalc::cli
