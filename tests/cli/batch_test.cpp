#include "cli/batch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tests/core/test_values.h"

namespace pumpcalc::cli {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct BatchRun {
  std::string output;
  BatchSummary summary;
};

BatchRun runOn(const std::string& input) {
  File in(std::tmpfile()), out(std::tmpfile());
  std::fwrite(input.data(), 1, input.size(), in.get());
  std::rewind(in.get());
  BatchRun run;
  EXPECT_TRUE(runBatch(in.get(), out.get(), run.summary));
  std::rewind(out.get());
  char chunk[4096];
  while (std::size_t n = std::fread(chunk, 1, sizeof chunk, out.get())) run.output.append(chunk, n);
  return run;
}

TEST(Batch, OneOutputLinePerInputLine) {
  const BatchRun run = runOn(
      "100\t50\t80\n"
      "360\t32\t75\r\n"
      "100\t50\t0\n"
      "\n"
      "1\t2\n"
      "1\t2\t3\t4\n"
      "abc\t1\t1\n"
      "50\t20\t70");
  EXPECT_EQ(run.output,
            "100\t50\t80\t17.020697167756\t18.7227668845316\t20.4248366013072\n"
            "360\t32\t75\t41.8300653594771\t46.0130718954248\t50.1960784313726\n"
            "100\t50\t0\terror\tFloating point division by zero\n"
            "\terror\texpected 3 tab-separated fields (flow, head, efficiency), found 1\n"
            "1\t2\terror\texpected 3 tab-separated fields (flow, head, efficiency), found 2\n"
            "1\t2\t3\t4\terror\texpected 3 tab-separated fields (flow, head, efficiency), found 4\n"
            "abc\t1\t1\terror\t'abc' is not a valid floating point value\n"
            "50\t20\t70\t3.89044506691565\t4.27948957360722\t4.66853408029879\n");
  EXPECT_EQ(run.summary.lines, 8u);
  EXPECT_EQ(run.summary.failedLines, 5u);
}

TEST(Batch, LinesLongerThanTheReadBufferAndManyRows) {
  const std::string longField(200000, '0');
  std::string input = longField + "1\t1\t100\n";
  for (int i = 0; i < 20000; ++i) input += "100\t50\t80\n";
  const BatchRun run = runOn(input);
  EXPECT_EQ(run.summary.lines, 20001u);
  EXPECT_EQ(run.summary.failedLines, 0u);
  EXPECT_EQ(run.output.substr(0, longField.size() + 8), longField + "1\t1\t100\t");
}

TEST(Batch, EmptyInputGivesNoLines) {
  const BatchRun run = runOn("");
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.summary.lines, 0u);
}

TEST(Batch, UsesTheDecimalSeparator) {
  test::SeparatorScope comma(',');
  const BatchRun run = runOn("1,5\t2\t100\n");
  EXPECT_EQ(run.output,
            "1,5\t2\t100\t0,00816993464052288\t0,00898692810457516\t0,00980392156862745\n");
}

}  // namespace
}  // namespace pumpcalc::cli
