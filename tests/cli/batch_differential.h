// The batch against the plain reference reader on one schedule, run in a given shape: one
// thread or several, large chunks or chunks of a few bytes, long reads or reads of a few
// bytes; a GB18030 schedule through the program's codec. Shared by the differential test and
// the batch fuzz target.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"
#include "cli/gb18030.h"
#include "tests/cli/reference_batch.h"

namespace pumpcalc::clitest {

// Hands out its text in reads of the given sizes, taken in turn.
class ShortReadSource final : public cli::ByteSource {
 public:
  ShortReadSource(std::string_view text, std::vector<std::size_t> sizes)
      : text_(text), sizes_(std::move(sizes)) {}

  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t wanted = sizes_.empty() ? size : sizes_[turn_++ % sizes_.size()];
    const std::size_t count = std::min({size, wanted, text_.size() - pos_});
    text_.copy(buffer, count, pos_);
    pos_ += count;
    return count;
  }

 private:
  std::string_view text_;
  std::vector<std::size_t> sizes_;
  std::size_t turn_ = 0, pos_ = 0;
};

class TextSink final : public cli::ByteSink {
 public:
  void write(const char* data, std::size_t size) override { text.append(data, size); }
  void flush() override {}
  std::string text;
};

struct RunShape {
  unsigned threads = 1;
  std::size_t chunkBytes = std::size_t{1} << 18;
  std::vector<std::size_t> readSizes;  // empty: as much as asked
};

inline cli::BatchSettings batchSettings(const ReferenceSettings& reference, const RunShape& shape) {
  cli::BatchSettings settings;
  settings.dialect = {reference.csv ? cli::TableFormat::csv : cli::TableFormat::tsv,
                      reference.separator};
  settings.header = reference.header;
  if (reference.columns) {
    cli::ColumnSelection selection;
    for (const ReferenceColumn& column : *reference.columns) {
      selection.push_back({column.number, column.name});
    }
    settings.columns = selection;
  }
  settings.ratings = reference.ratings;
  settings.specificGravity = reference.specificGravity;
  settings.margin = reference.margin;
  settings.threads = shape.threads;
  settings.chunkBytes = shape.chunkBytes;
  return settings;
}

// Bytes as C escapes, for messages.
inline std::string escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '\\') {
      out += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    }
  }
  return out;
}

// Empty when the batch, run in `shape` under the current DecimalSeparatorChar, writes what
// the reference writes and counts the same lines, or fails as the reference does; otherwise
// where they part.
inline std::string differenceFromReference(std::string_view input,
                                           const ReferenceSettings& reference,
                                           const ReferenceResult& expected, const RunShape& shape) {
  ShortReadSource source(input, shape.readSizes);
  TextSink sink;
  cli::BatchSummary summary;
  std::optional<cli::Gb18030Codec> gb18030;
  cli::BatchSettings settings = batchSettings(reference, shape);
  if (reference.gb18030 != nullptr) settings.encoding = &gb18030.emplace();
  const std::string how = "(threads " + std::to_string(shape.threads) + ", chunks of " +
                          std::to_string(shape.chunkBytes) + " bytes): ";
  try {
    summary = cli::runBatch(source, sink, settings);
  } catch (const cli::BatchFailure& failure) {
    if (expected.failure == failure.what()) return {};
    return how + "batch failed with '" + failure.what() + "', reference " +
           (expected.failure ? "with '" + *expected.failure + "'" : "did not");
  }
  if (expected.failure) return how + "reference failed with '" + *expected.failure + "'";
  if (sink.text != expected.output) {
    const std::size_t at =
        static_cast<std::size_t>(std::mismatch(sink.text.begin(), sink.text.end(),
                                               expected.output.begin(), expected.output.end())
                                     .first -
                                 sink.text.begin());
    const std::size_t lineStart = sink.text.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = lineStart == std::string::npos || at == 0 ? 0 : lineStart + 1;
    return how + "output differs at byte " + std::to_string(at) +
           ":\n  batch:     " + escaped(std::string_view(sink.text).substr(from, 160)) +
           "\n  reference: " + escaped(std::string_view(expected.output).substr(from, 160));
  }
  if (summary.lines != expected.lines || summary.failedLines != expected.failedLines) {
    return how + "counted " + std::to_string(summary.lines) + " lines, " +
           std::to_string(summary.failedLines) + " failed; reference " +
           std::to_string(expected.lines) + ", " + std::to_string(expected.failedLines);
  }
  return {};
}

}  // namespace pumpcalc::clitest
