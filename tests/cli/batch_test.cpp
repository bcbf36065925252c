#include "cli/batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/decimal_parse.h"
#include "tests/cli/batch_io.h"
#include "tests/core/test_values.h"

namespace pumpcalc::cli {
namespace {

using test::runOn;

const std::string results100_50_80 = "17.020697167756,18.7227668845316,20.4248366013072";
const std::string tabbed100_50_80 = "17.020697167756\t18.7227668845316\t20.4248366013072";

TEST(Batch, OneOutputLinePerInputLine) {
  const test::BatchRun run = runOn(
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
  const test::BatchRun run = runOn(input);
  EXPECT_EQ(run.summary.lines, 20001u);
  EXPECT_EQ(run.summary.failedLines, 0u);
  EXPECT_EQ(run.output.substr(0, longField.size() + 8), longField + "1\t1\t100\t");
}

TEST(Batch, EmptyInputGivesNoLines) {
  const test::BatchRun run = runOn("");
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.summary.lines, 0u);
}

TEST(Batch, UsesTheDecimalSeparator) {
  pumpcalc::test::SeparatorScope comma(',');
  const test::BatchRun run = runOn("1,5\t2\t100\n");
  EXPECT_EQ(run.output,
            "1,5\t2\t100\t0,00816993464052288\t0,00898692810457516\t0,00980392156862745\n");
}

struct Case {
  const char* what;
  std::string input;
  std::string expected;
  BatchSettings settings = test::csv();
  char decimalSeparator = '.';
};

void expectCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    pumpcalc::test::SeparatorScope separator(c.decimalSeparator);
    EXPECT_EQ(runOn(c.input, c.settings).output, c.expected) << c.what;
  }
}

TEST(Batch, CsvAsSpreadsheetsWriteIt) {
  const MotorRatings standard = standardMotorRatings();
  BatchSettings header = test::csv();
  header.header = true;
  BatchSettings named = header;
  named.columns = test::columns("Q,H,\"eta, %\"");
  named.ratings = &standard;
  BatchSettings wide = test::csv();
  wide.columns = test::columns("2,3,4");
  BatchSettings semicolons = test::csv(';');
  BatchSettings commaDecimal = test::csv(',');
  expectCases({
      {"plain", "100,50,80\n", "100,50,80," + results100_50_80 + "\n"},
      {"quoted fields are echoed as they came, CRLF kept", "\"100\",\"50\",\"80\"\r\n",
       "\"100\",\"50\",\"80\"," + results100_50_80 + "\r\n"},
      {"a message with the separator is quoted", "\"1,5\",2,100\n",
       "\"1,5\",2,100,error,\"'1,5' is not a valid floating point value\"\n"},
      {"a message with a quote", "\"5\"\"\",1,1\n",
       "\"5\"\"\",1,1,error,\"'5\"\"' is not a valid floating point value\"\n"},
      {"semicolons where the decimal separator is a comma", "1,5;2;100\n",
       "1,5;2;100;0,00816993464052288;0,00898692810457516;0,00980392156862745\n", semicolons, ','},
      {"commas both ways: the numbers are quoted", "\"1,5\",2,100\n",
       "\"1,5\",2,100,\"0,00816993464052288\",\"0,00898692810457516\",\"0,00980392156862745\"\n",
       commaDecimal, ','},
      {"byte-order mark and header kept, names added",
       "\xEF\xBB\xBF"
       "flow,head,eff\r\n100,50,80\r\n",
       "\xEF\xBB\xBF"
       "flow,head,eff,shaft power (kW),lower motor power (kW),"
       "upper motor power (kW)\r\n100,50,80," +
           results100_50_80 + "\r\n",
       header},
      {"columns by name, other columns copied, the rating added",
       "pump,Q,H,\"eta, %\"\nP1,100,50,80\nP2,1e5,50,80\nP3,100,50,0\nP4,100,50\n",
       "pump,Q,H,\"eta, %\",shaft power (kW),lower motor power (kW),upper motor power (kW),"
       "motor rating (kW)\n"
       "P1,100,50,80," +
           results100_50_80 +
           ",22\n"
           "P2,1e5,50,80,17020.697167756,18722.7668845316,20424.8366013072,>1000\n"
           "P3,100,50,0,error,Floating point division by zero\n"
           "P4,100,50,error,\"expected 4 comma-separated fields as in the header, found 3\"\n",
       named},
      {"columns by number from a wider sheet, a line break in a copied field",
       "\"P-1\nspare\",100,50,80\nP-2,100,50\n",
       "\"P-1\nspare\",100,50,80," + results100_50_80 +
           "\nP-2,100,50,error,\"expected at least 4 comma-separated fields (flow, head, "
           "efficiency in columns 2, 3, 4), found 3\"\n",
       wide},
      {"the last line ends as the one before", "100,50,80\r\n100,50,80",
       "100,50,80," + results100_50_80 + "\r\n100,50,80," + results100_50_80 + "\r\n"},
  });
}

TEST(Batch, SpecificGravityAndMargin) {
  const MotorRatings standard = standardMotorRatings();
  ExtendedReal margin, hugeMargin;
  ASSERT_TRUE(tryTextToExtended("1.25", margin) && tryTextToExtended("1e4930", hugeMargin));
  BatchSettings named = test::csv();
  named.header = true;
  named.columns = test::columns("Q,H,eta,SG");
  named.ratings = &standard;
  named.margin = margin;
  BatchSettings numbered = test::csv();
  numbered.columns = test::columns("1,2,3,5");
  BatchSettings everyLine = test::csv(';');
  everyLine.specificGravity = "0,85";
  BatchSettings overflowing = test::csv();
  overflowing.margin = hugeMargin;
  const std::string hydrocarbon = "14.4675925925926,15.9143518518519,17.3611111111111";
  expectCases({
      {"a fourth column by name; the required motor power before the rating, chosen from it",
       "pump,Q,H,eta,SG\nP-1,100,50,80,0.85\nP-2,x,50,80,y\nP-3,100,50,z,y\n",
       "pump,Q,H,eta,SG,shaft power (kW),lower motor power (kW),upper motor power (kW),"
       "required motor power (kW),motor rating (kW)\n"
       "P-1,100,50,80,0.85," +
           hydrocarbon +
           ",18.0844907407407,18.5\n"
           "P-2,x,50,80,y,error,'x' is not a valid floating point value\n"
           "P-3,100,50,z,y,error,'y' is not a valid floating point value\n",
       named},
      {"a fourth column by number", "100,50,80,x,0.85\n100,50,80,x\n",
       "100,50,80,x,0.85," + hydrocarbon +
           "\n100,50,80,x,error,\"expected at least 5 comma-separated fields (flow, head, "
           "efficiency, specific gravity in columns 1, 2, 3, 5), found 4\"\n",
       numbered},
      {"one for every line, with the decimal separator", "100;50;80\n",
       "100;50;80;14,4675925925926;15,9143518518519;17,3611111111111\n", everyLine, ','},
      {"a margin beyond the range fails the row alone", "100,50,80\n",
       "100,50,80,error,Floating point overflow\n", overflowing},
  });
}

TEST(Batch, MalformedLinesCostOneLineEach) {
  const std::string good = "100,50,80\n";
  const std::string goodOut = "100,50,80," + results100_50_80 + "\n";
  const std::string tooLong(maxFieldBytes + 1, '1');
  expectCases({
      {"a quote that never closes", "1,\"2,3\n" + good + "1,\"2",
       ",error,line 1: unmatched quote in field 2\n" + goodOut +
           ",error,line 3: unmatched quote in field 2\n"},
      {"a record over lines that is not well-formed is cut at its first line",
       "1,\"2\n3\",4,5\n" + good,
       ",error,line 1: unmatched quote in field 2\n"
       "3\",4,5,error,\"'3\"\"' is not a valid floating point value\"\n" +
           goodOut},
      {"text after a closing quote", "\"1\"x,2,3\n" + good,
       ",error,line 1: text after the closing quote of field 1\n" + goodOut},
      {"a NUL byte", std::string("1,2\0,3\n", 7) + good,
       ",error,line 1: NUL byte in field 2\n" + goodOut},
      {"invalid UTF-8", "1,2,3\xC0\xAF\n" + good,
       ",error,line 1: invalid UTF-8 in field 3\n" + goodOut},
      {"a field over 1 MiB", tooLong + ",1,1\n" + good,
       ",error,line 1: field 1 is longer than 1 MiB\n" + goodOut},
      {"a quoted field over 1 MiB on one line is dropped", "1,\"" + tooLong + "\",1\n" + good,
       ",error,line 1: field 2 is longer than 1 MiB\n" + goodOut},
      {"a quoted field over 1 MiB over lines", "1,\"\n" + tooLong + "\",1\n" + good,
       ",error,line 1: unmatched quote in field 2\n,error,line 2: field 1 is longer than 1 MiB\n" +
           goodOut},
  });
  // TSV knows no quotes; the other faults are the same.
  const test::BatchRun tsv = runOn("1\t\"2\t3\n1\t2\t3\xFF\n");
  EXPECT_EQ(tsv.output,
            "1\t\"2\t3\terror\t'\"2' is not a valid floating point value\n"
            "\terror\tline 2: invalid UTF-8 in field 3\n");
  EXPECT_EQ(tsv.summary.failedLines, 2u);
}

TEST(Batch, AHeaderThatCannotBeUsedEndsTheBatch) {
  BatchSettings header = test::csv();
  header.header = true;
  BatchSettings named = header;
  named.columns = test::columns("flow,head,eff");
  BatchSettings numbered = header;
  numbered.columns = test::columns("1,2,4");
  const std::pair<std::string, BatchSettings> cases[] = {
      {"flow,\"head,eff\n1,2,3\n", header}, {"flow,head,efficiency\n", named},
      {"flow,head,eff,eff\n", named},       {"flow,head,eff\n", numbered},
      {"flow,head\n1,2\n", header},
  };
  for (const auto& [input, settings] : cases) {
    EXPECT_THROW(runOn(input, settings), BatchFailure) << input;
  }
  EXPECT_EQ(runOn("\xEF\xBB\xBF", header).output, "\xEF\xBB\xBF");
}

TEST(Batch, ThreadsWriteWhatOneThreadWrites) {
  const MotorRatings standard = standardMotorRatings();
  std::string input = "\xEF\xBB\xBFpump,Q,H,eta\r\n";
  for (int i = 0; i < 3000; ++i) {
    const std::string n = std::to_string(i);
    input += i % 7 == 0    ? "\"P" + n + "\nspare\"," + n + ",50,80\r\n"
             : i % 11 == 0 ? "P" + n + ",\"" + n + "\r\n"
             : i % 13 == 0 ? "P" + n + ",1,2\r\n"
                           : "P" + n + "," + n + ".5,3" + n + ",7" + n.substr(0, 1) + "\r\n";
  }
  BatchSettings one = test::csv();
  one.header = true;
  one.columns = test::columns("2,3,4");
  one.ratings = &standard;
  BatchSettings many = one;
  many.threads = 3;
  many.chunkBytes = 100;
  const test::BatchRun expected = runOn(input, one), actual = runOn(input, many);
  EXPECT_EQ(actual.output, expected.output);
  EXPECT_EQ(actual.summary.lines, 3000u);
  EXPECT_EQ(actual.summary.failedLines, expected.summary.failedLines);
  EXPECT_GT(expected.summary.failedLines, 400u);
}

TEST(Batch, AnInputThatFailsEndsTheBatch) {
  std::string input;
  for (int i = 0; i < 5000; ++i) input += "100,50,80\n";
  for (unsigned threads : {1u, 2u}) {
    BatchSettings settings = test::csv();
    settings.threads = threads;
    settings.chunkBytes = 1000;
    EXPECT_THROW(runOn(input, settings, input.size() / 2), BatchFailure) << threads;
  }
}

}  // namespace
}  // namespace pumpcalc::cli
