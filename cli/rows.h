// Computing a batch's rows: the output line of each record (the record as it came, then the
// results, or "error" and what went wrong), on this thread or on several, in input order.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/columns.h"
#include "cli/records.h"
#include "cli/table.h"
#include "core/byte_words.h"
#include "core/float_unit.h"

namespace pumpcalc::cli {

// A batch's output lines as they are built: bytes appended to a buffer that only grows.
class OutputText {
 public:
  // At least `count` writable bytes at the end; advance() then takes those written.
  char* room(std::size_t count) {
    if (bytes_.size() - size_ < count) bytes_.resize(2 * bytes_.size() + count);
    return bytes_.data() + size_;
  }
  void advance(std::size_t count) noexcept { size_ += count; }

  void append(std::string_view text) {
    // An empty buffer may have no storage at all, and memcpy wants a valid pointer even for
    // no bytes.
    if (text.empty()) return;
    copyBytes(room(text.size()), text.data(), text.size());
    size_ += text.size();
  }
  void push_back(char c) {
    *room(1) = c;
    ++size_;
  }

  std::string_view view() const noexcept { return {bytes_.data(), size_}; }
  void clear() noexcept { size_ = 0; }

 private:
  std::vector<char> bytes_;
  std::size_t size_ = 0;
};

struct BatchSummary {
  unsigned long long lines = 0;
  unsigned long long failedLines = 0;

  BatchSummary& operator+=(const BatchSummary& other) {
    lines += other.lines;
    failedLines += other.failedLines;
    return *this;
  }
};

// Appends `text` as one field: in CSV quoted when it holds the separator, a quote or a line
// break, as it is otherwise.
void appendField(OutputText& out, std::string_view text, const TableDialect& dialect);

// The header record followed by the names of the columns that a batch adds.
void writeHeader(std::string_view record, LineEnd lineEnd, const RowLayout& layout,
                 OutputText& out);

// Writes the output lines of `chunk`'s records (a line block's split here); one object per
// thread.
class RowWriter {
 public:
  explicit RowWriter(const RowLayout& layout)
      : layout_(layout),
        gravityColumn_(layout.columns[3] != RowLayout::noColumn),
        extras_(gravityColumn_ || layout.specificGravity || layout.margin) {}

  void write(const Chunk& chunk, OutputText& out, BatchSummary& summary);

 private:
  // `columns`: 3, or 4 with a column for the specific gravity.
  template <std::size_t columns>
  void writeRows(const Chunk& chunk, OutputText& out, BatchSummary& summary);
  template <std::size_t columns>
  void writeRow(std::string_view record, const RecordSpan& span, OutputText& out,
                BatchSummary& summary, FloatUnitState& unit);
  // `fields`: flow, head, efficiency, and the specific gravity's where a column gives it.
  template <bool extras>
  void writeResults(std::string_view record, const FieldSpan* fields, OutputText& out,
                    BatchSummary& summary, FloatUnitState& unit);

  const RowLayout& layout_;
  const bool gravityColumn_;  // a fourth column gives the specific gravity
  const bool extras_;         // a specific gravity or a margin
  std::string scratch_[4];
};

// Chunks of records computed on several threads and written in input order.
class ParallelRows {
 public:
  // Starts `threads` computing threads, each with its own RowWriter and a reset float unit.
  ParallelRows(const RowLayout& layout, unsigned threads);
  // Stops the threads; chunks not yet written are dropped.
  ~ParallelRows();
  ParallelRows(const ParallelRows&) = delete;
  ParallelRows& operator=(const ParallelRows&) = delete;

  // Takes chunks from `next` until it returns false and hands each chunk's output lines to
  // `write`, in the order of the chunks. At most twice as many chunks as threads are held
  // at a time. An error of a computing thread is raised here, in its chunk's turn.
  BatchSummary run(const std::function<bool(Chunk&)>& next,
                   const std::function<void(std::string_view)>& write);

 private:
  struct Job {
    Chunk chunk;
    OutputText output;
    BatchSummary summary;
    std::exception_ptr error;
    bool done = false;
  };

  void compute();

  const RowLayout& layout_;
  const std::size_t maxHeld_;
  std::deque<std::unique_ptr<Job>> held_;  // taken from `next`, not yet written; oldest first
  std::vector<std::unique_ptr<Job>> spare_;
  std::mutex mutex_;
  std::condition_variable workReady_, jobDone_;
  std::deque<Job*> waiting_;  // held jobs that no thread has taken yet
  bool stopping_ = false;
  std::vector<std::thread> threads_;  // last: stopped before the jobs go
};

}  // namespace pumpcalc::cli
