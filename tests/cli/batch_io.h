// Batches run over strings, for the tests.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "cli/batch.h"

namespace pumpcalc::cli::test {

// Hands out its text a few bytes at a time; throws BatchFailure once `failAt` bytes are read.
class StringSource final : public ByteSource {
 public:
  explicit StringSource(std::string text, std::size_t failAt = std::string::npos)
      : text_(std::move(text)), failAt_(failAt) {}

  std::size_t read(char* buffer, std::size_t size) override {
    if (pos_ >= failAt_) throw BatchFailure("cannot read the test input");
    const std::size_t count = std::min({size, text_.size() - pos_, std::size_t{4099}});
    text_.copy(buffer, count, pos_);
    pos_ += count;
    return count;
  }

 private:
  std::string text_;
  std::size_t failAt_, pos_ = 0;
};

class StringSink final : public ByteSink {
 public:
  void write(const char* data, std::size_t size) override { text.append(data, size); }
  void flush() override {}
  std::string text;
};

struct BatchRun {
  std::string output;
  BatchSummary summary;
};

inline BatchRun runOn(const std::string& input, const BatchSettings& settings = {},
                      std::size_t failAt = std::string::npos) {
  StringSource source(input, failAt);
  StringSink sink;
  BatchRun run;
  run.summary = runBatch(source, sink, settings);
  run.output = sink.text;
  return run;
}

inline BatchSettings csv(char separator = ',') {
  BatchSettings settings;
  settings.dialect = {TableFormat::csv, separator};
  return settings;
}

inline ColumnSelection columns(std::string_view text) {
  return std::get<ColumnSelection>(parseColumnSelection(text));
}

}  // namespace pumpcalc::cli::test
