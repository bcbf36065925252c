// The shortcuts of the batch's reading: whole lines handed out as line blocks and split by
// the computing threads (takeLineBlock, LineRecords), checked against the records that the
// scanner finds one by one (findRecord, which shares with them only the byte finder, itself
// checked against the plain reference reader with the whole batch); and copyBytes against a
// byte loop. The inputs are generated: every byte value, lines of every length
// around the word size, CR, quotes, separators, and lines longer than the read buffer.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cli/records.h"
#include "cli/rows.h"
#include "tests/cli/batch_io.h"

namespace pumpcalc::cli {
namespace {

using test::runOn;

std::string generatedInput(std::mt19937& random, bool longLines) {
  static const std::string pieces[] = {"100",          "12.5", "0.75", "\t",   ",",
                                       "\"",           "\"\"", "\r",   "\r\n", "\xC3\xA9",
                                       "\xE4\xB8\xAD", "abc",  " ",    ";"};
  std::string input = random() % 8 == 0 ? std::string(byteOrderMark) : "";
  const int lines = static_cast<int>(random() % 60);
  for (int i = 0; i < lines; ++i) {
    // A length around a multiple of eight, or far beyond the 64 KiB read block.
    std::size_t length = random() % 25;
    if (longLines && random() % 40 == 0) length = 70000 + random() % 9;
    std::string line;
    while (line.size() < length) {
      switch (random() % 4) {
        case 0:
          line += static_cast<char>(random() % 256);  // any byte, NUL and 0x80-0xFF included
          break;
        case 1:
          line += std::string(random() % 12, static_cast<char>('0' + random() % 10));
          break;
        default:
          line += pieces[random() % std::size(pieces)];
      }
    }
    input += line;
    if (i + 1 < lines || random() % 2 == 0) input += '\n';
  }
  return input;
}

struct Scanned {
  std::string text;
  std::uint64_t line;
  LineEnd lineEnd;
  RecordProblem dropped;
  friend bool operator==(const Scanned&, const Scanned&) = default;
};

std::vector<Scanned> scanAll(const std::string& input, TableDialect dialect,
                             std::size_t targetBytes, bool lineBlocks) {
  test::StringSource source(input);
  RecordScanner scanner(source, {dialect, lineBlocks});
  std::vector<Scanned> records;
  const auto add = [&](const Chunk& chunk, const RecordSpan& span) {
    records.push_back(
        {std::string(chunk.text(span)), span.line, span.lineEnd, span.dropped.problem});
  };
  for (Chunk chunk; scanner.next(chunk, targetBytes);) {
    EXPECT_TRUE(lineBlocks || !chunk.lineBlock);
    if (chunk.lineBlock) {
      LineRecords lines(chunk);
      for (RecordSpan span; lines.next(span);) add(chunk, span);
    } else {
      for (const RecordSpan& span : chunk.records) add(chunk, span);
    }
  }
  records.push_back({scanner.hadByteOrderMark() ? "BOM" : "", 0, LineEnd::lf, {}});
  return records;
}

TEST(LineBlocks, SplitAsTheScannerFindsRecords) {
  std::mt19937 random(20240611);
  const TableDialect dialects[] = {{TableFormat::tsv, '\t'}, {TableFormat::csv, ','}};
  for (int round = 0; round < 300; ++round) {
    const std::string input = generatedInput(random, round % 10 == 0);
    for (const TableDialect& dialect : dialects) {
      for (const std::size_t target : {1, 7, 8, 9, 64, 4099, 1 << 18}) {
        ASSERT_EQ(scanAll(input, dialect, target, true), scanAll(input, dialect, target, false))
            << "round " << round << ", target " << target;
      }
    }
  }
}

TEST(LineBlocks, BatchesWriteWhatRecordByRecordWrites) {
  std::mt19937 random(20240612);
  const MotorRatings standard = standardMotorRatings();
  for (int round = 0; round < 120; ++round) {
    std::string input = generatedInput(random, false);
    for (int i = 0; i < 40; ++i) {  // rows that compute, so that results are compared too
      input += std::to_string(random() % 1000) + "." + std::to_string(random() % 100) + "\t" +
               std::to_string(1 + random() % 250) + "\t" + std::to_string(30 + random() % 60) +
               (random() % 3 == 0 ? "\r\n" : "\n");
    }
    input += generatedInput(random, false);
    BatchSettings reference;
    if (round % 2 == 1) {
      reference = test::csv();
      reference.header = round % 4 == 1;
      reference.ratings = &standard;
      for (char& c : input) c = c == '\t' ? ',' : c;
    }
    reference.lineBlocks = false;
    test::BatchRun expected;
    bool failed = false;
    try {
      expected = runOn(input, reference);
    } catch (const BatchFailure&) {
      failed = true;
    }
    for (const unsigned threads : {1u, 3u}) {
      for (const std::size_t chunkBytes : {std::size_t{1}, std::size_t{100}, std::size_t{4099}}) {
        BatchSettings settings = reference;
        settings.lineBlocks = true;
        settings.threads = threads;
        settings.chunkBytes = chunkBytes;
        if (failed) {
          EXPECT_THROW(runOn(input, settings), BatchFailure) << round;
          continue;
        }
        const test::BatchRun actual = runOn(input, settings);
        ASSERT_EQ(actual.output, expected.output) << round << ", " << threads << " threads";
        EXPECT_EQ(actual.summary.lines, expected.summary.lines);
        EXPECT_EQ(actual.summary.failedLines, expected.summary.failedLines);
      }
    }
  }
}

TEST(LineBlocks, CopyBytesCopiesEveryLength) {
  std::string from(100, '\0'), to(120, '\0'), expected;
  for (std::size_t i = 0; i < from.size(); ++i) from[i] = static_cast<char>(i * 37 + 1);
  for (std::size_t offset = 0; offset < 8; ++offset) {
    for (std::size_t count = 0; count + offset <= 90; ++count) {
      to.assign(120, '\x5A');
      expected = to;
      for (std::size_t i = 0; i < count; ++i) expected[offset + i] = from[offset + i];
      copyBytes(to.data() + offset, from.data() + offset, count);
      ASSERT_EQ(to, expected) << offset << " " << count;
    }
  }
}

}  // namespace
}  // namespace pumpcalc::cli
