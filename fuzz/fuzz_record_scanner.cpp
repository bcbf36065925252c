// Fuzz target for the batch's reading: the record scanner with line blocks (whole lines that
// the computing threads split) against the same scanner finding records one by one, and a
// whole batch both ways, on one thread and on two.
//
// Input layout:
//   byte 0     bits 0-1: TSV, CSV with ',', CSV with ';', or CSV with ',' and a header
//   byte 1     the chunk size in bytes, 1 to 256
//   the rest   the input
//
// Any difference aborts, which libFuzzer and the replay main both report as a crash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "cli/batch.h"
#include "cli/records.h"
#include "core/error_mapping.h"
#include "core/float_unit.h"
#include "core/motor_rating.h"
#include "platform/system_services.h"

namespace {

using namespace pumpcalc::cli;

// Hands out the input a few bytes at a time, so that records cross the reads.
class BytesSource final : public ByteSource {
 public:
  explicit BytesSource(std::string_view bytes) : bytes_(bytes) {}
  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t count = std::min({size, bytes_.size(), std::size_t{97}});
    std::memcpy(buffer, bytes_.data(), count);
    bytes_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view bytes_;
};

class StringSink final : public ByteSink {
 public:
  void write(const char* data, std::size_t size) override { text.append(data, size); }
  void flush() override {}
  std::string text;
};

// Each record as text, line, line end and problem, one after another.
std::string scanAll(std::string_view input, const TableDialect& dialect, std::size_t target,
                    bool lineBlocks) {
  BytesSource source(input);
  RecordScanner scanner(source, {dialect, lineBlocks});
  std::string out;
  const auto add = [&](const Chunk& chunk, const RecordSpan& span) {
    out.append(chunk.text(span)).append(1, '\0');
    out.append(std::to_string(span.line)).append(span.lineEnd == LineEnd::crlf ? "C" : "L");
    out.append(std::to_string(static_cast<int>(span.dropped.problem))).append(1, '\n');
  };
  for (Chunk chunk; scanner.next(chunk, target);) {
    if (chunk.lineBlock) {
      LineRecords lines(chunk);
      for (RecordSpan span; lines.next(span);) add(chunk, span);
    } else {
      for (const RecordSpan& span : chunk.records) add(chunk, span);
    }
  }
  return out + (scanner.hadByteOrderMark() ? "BOM" : "");
}

std::string runWith(std::string_view input, BatchSettings settings, bool lineBlocks,
                    unsigned threads) {
  settings.lineBlocks = lineBlocks;
  settings.threads = threads;
  BytesSource source(input);
  StringSink sink;
  try {
    const BatchSummary summary = runBatch(source, sink, settings);
    return sink.text + "|" + std::to_string(summary.lines) + "|" +
           std::to_string(summary.failedLines);
  } catch (const BatchFailure& failure) {
    return std::string("failure: ") + failure.what();
  }
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_record_scanner: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // As the program starts: with the error hooks, faults become the error objects.
  static const bool started =
      (pumpcalc::platform::installSystemServices(), pumpcalc::installErrorHooks(nullptr), true);
  (void)started;
  if (size < 2) return 0;
  pumpcalc::resetFloatUnit();
  const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
  static const pumpcalc::MotorRatings ratings = pumpcalc::standardMotorRatings();
  BatchSettings settings;
  switch (data[0] & 3) {
    case 0:
      break;
    case 1:
      settings.dialect = {TableFormat::csv, ','};
      break;
    case 2:
      settings.dialect = {TableFormat::csv, ';'};
      settings.ratings = &ratings;
      break;
    case 3:
      settings.dialect = {TableFormat::csv, ','};
      settings.header = true;
      break;
  }
  settings.chunkBytes = std::size_t{data[1]} + 1;

  if (scanAll(input, settings.dialect, settings.chunkBytes, true) !=
      scanAll(input, settings.dialect, settings.chunkBytes, false)) {
    fail("line blocks split otherwise than records found one by one");
  }
  const std::string expected = runWith(input, settings, false, 1);
  if (runWith(input, settings, true, 1) != expected ||
      runWith(input, settings, true, 2) != expected) {
    fail("a batch with line blocks writes otherwise");
  }
  return 0;
}
