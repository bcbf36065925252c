// Reading a pump schedule: the bytes from their source, cut into records piece by piece, so
// that memory stays bounded by the longest record rather than the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/table.h"
#include "core/byte_words.h"
#include "platform/streams.h"

namespace pumpcalc::cli {

// A failure that ends the whole batch: the input or the output cannot be used, or the
// header line cannot be read. Its message is for the user.
class BatchFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where a batch reads its input and writes its output: C streams, or anything a test needs.
class ByteSource {
 public:
  // What a reader asks of a source at a time.
  static constexpr std::size_t readBlock = std::size_t{1} << 16;

  virtual ~ByteSource() = default;
  // Up to `size` bytes into `buffer`; 0 at the end. Throws BatchFailure when reading fails.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
  // `size` bytes, or fewer only where the input ends: a source may hand out less than asked.
  std::size_t readFully(char* buffer, std::size_t size) {
    std::size_t filled = 0;
    for (std::size_t count = 1; filled < size && count != 0; filled += count) {
      count = read(buffer + filled, size - filled);
    }
    return filled;
  }
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // All of `size` bytes, or BatchFailure.
  virtual void write(const char* data, std::size_t size) = 0;
  // Everything written so far handed to the system, or BatchFailure.
  virtual void flush() = 0;
};

// A stream of the platform; `name` says which in messages ("standard input", "'pumps.csv'").
class StreamSource final : public ByteSource {
 public:
  StreamSource(platform::InputStream& stream, std::string name)
      : stream_(stream), name_(std::move(name)) {}
  std::size_t read(char* buffer, std::size_t size) override;

 private:
  platform::InputStream& stream_;
  std::string name_;
};

class StreamSink final : public ByteSink {
 public:
  StreamSink(platform::OutputStream& stream, std::string name)
      : stream_(stream), name_(std::move(name)) {}
  void write(const char* data, std::size_t size) override;
  void flush() override;

 private:
  platform::OutputStream& stream_;
  std::string name_;
};

// The records of a schedule, as the scanner hands them out in chunks.
struct RecordSpan {
  std::size_t offset = 0;  // in Chunk::bytes
  std::size_t length = 0;  // without the line end (and a CR before it)
  std::uint64_t line = 0;  // the line it begins on, 1-based
  // A record without a line end (the input's last) ends as the record before it did.
  LineEnd lineEnd = LineEnd::lf;
  // Set for a record whose bytes were dropped while scanning (a field far too long).
  RecordCheck dropped;
};

// Records in input order and the bytes they refer to: either listed in `records`, or, for a
// line block, every line of `bytes` one record, line ends included, which the thread that
// computes the chunk splits (LineRecords), so that the reading thread only copies them.
struct Chunk {
  std::string bytes;
  std::vector<RecordSpan> records;
  bool lineBlock = false;
  std::uint64_t firstLine = 0;          // of a line block: its first record's line
  LineEnd lineEndBefore = LineEnd::lf;  // of a line block: the record's before it

  std::string_view text(const RecordSpan& record) const {
    return std::string_view(bytes).substr(record.offset, record.length);
  }
};

// The records of a line block, in order: a line ends at LF, a CR before it belongs to the
// line end, and a last line without one ends as the record before it did.
class LineRecords {
 public:
  explicit LineRecords(const Chunk& chunk) noexcept
      : data_(chunk.bytes.data()),
        size_(chunk.bytes.size()),
        line_(chunk.firstLine),
        lineEnd_(chunk.lineEndBefore) {}

  // The next record; false after the last. Inline always: called once per row.
  [[gnu::always_inline]] bool next(RecordSpan& record) noexcept {
    if (start_ >= size_) return false;
    const std::size_t at = findByte(data_, start_, size_, '\n');  // size_: a last line without one
    std::size_t end = at;
    const bool carriageReturn = end > start_ && data_[end - 1] == '\r';
    if (carriageReturn) --end;
    if (at != size_) lineEnd_ = carriageReturn ? LineEnd::crlf : LineEnd::lf;
    record = {start_, end - start_, line_++, lineEnd_, {}};
    start_ = at + 1;
    return true;
  }

 private:
  const char* data_;
  std::size_t size_;
  std::size_t start_ = 0;  // where the next record begins
  std::uint64_t line_;
  LineEnd lineEnd_;
};

// What the scanner is told before it reads.
struct ScanSettings {
  TableDialect dialect;
  // Whole lines in which no record can span lines come as line blocks (see next()); off:
  // record by record.
  bool lineBlocks = true;
  // A record that spans lines is taken whole only if it is readable and has `width` fields
  // (or more, with widthIsMinimum; any number for width 0). Off: whenever its quotes close.
  bool checkSpanning = false;
  std::size_t width = 0;
  bool widthIsMinimum = false;
};

class RecordScanner {
 public:
  RecordScanner(ByteSource& source, const ScanSettings& settings)
      : source_(source), settings_(settings) {}

  // The width that records from here on must have, once a header has told it.
  void expectWidth(std::size_t width, bool widthIsMinimum) noexcept {
    settings_.width = width;
    settings_.widthIsMinimum = widthIsMinimum;
  }

  // Replaces `chunk`'s records with the next ones: at least one, and more until their bytes
  // reach `targetBytes` or their count `maxRecords`. False when the input has no record
  // left. A record is a line; in CSV a quoted field may hold line ends, but a record that
  // spans lines and is not well-formed (its quote never closes, a quoted field passes
  // maxFieldBytes, or it is not what the settings ask) is cut at its first line end, so that a
  // stray quote costs one line and reading goes on with the next. A UTF-8 byte-order mark
  // at the start is skipped (see hadByteOrderMark).
  //
  // Without a limit on the count, whole lines in which no record can span lines (TSV, or
  // CSV without a quote) come as a line block, unless settings.lineBlocks is off.
  bool next(Chunk& chunk, std::size_t targetBytes, std::size_t maxRecords = SIZE_MAX);

  bool hadByteOrderMark() const noexcept { return byteOrderMark_; }
  // Whether the whole input has been read and handed out.
  bool atEnd() const noexcept { return eof_ && pos_ == end_; }

 private:
  struct Found {
    std::size_t end;   // where the record's bytes end
    std::size_t next;  // where the next record begins
    std::uint64_t lines;
    bool hasLineEnd;
    LineEnd lineEnd;
    RecordCheck dropped;
  };

  // The record from pos_ to the line end at `lineEnd` (end_ for none), a CR before it
  // belonging to the line end.
  Found endsAt(std::size_t lineEnd, std::uint64_t lines) const;

  // Whether a record that spans lines may be taken whole (see ScanSettings).
  bool isWhole(std::string_view record) const;
  // Reads more input behind what the buffer holds; false at the end of the input.
  bool fill();
  // The record at pos_, or false when more input is needed to tell where it ends.
  bool findRecord(Found& found);
  bool findQuotedRecord(Found& found);

  // The line ends inside the quotes of the record being read.
  struct QuotedLines {
    std::uint64_t lines = 1;                            // the lines it spans so far
    std::size_t firstLineEnd = std::string_view::npos;  // the first of them
  };
  enum class QuotedField : std::uint8_t { closed, needsMoreInput, endsTheRecord };
  // Reads the quoted field number `field` of the record at pos_, whose opening quote is
  // buffer_[i]. `closed`: `i` is past its closing quote and `quoted` counts its line ends.
  // `endsTheRecord`: `found` is the record, cut at its first line end where the input ends
  // in the quotes or the field is too long over lines, or dropped to its line end where it is
  // too long on one.
  QuotedField readQuotedField(std::size_t& i, std::size_t field, QuotedLines& quoted, Found& found);
  // Drops input up to and including the next line end; false when more input is needed.
  bool skipLine(Found& found);
  // The buffered lines from pos_ as a line block of about `targetBytes` (reading more as
  // needed); false, having taken nothing, where no line ends or a quote may start a record
  // over lines.
  bool takeLineBlock(Chunk& chunk, std::size_t targetBytes);

  ByteSource& source_;
  ScanSettings settings_;
  std::string buffer_;
  std::size_t pos_ = 0, end_ = 0;  // unread bytes: buffer_[pos_, end_)
  bool eof_ = false, started_ = false, byteOrderMark_ = false;
  bool skipping_ = false;  // dropping the rest of a line (skipLine)
  std::uint64_t line_ = 1;
  LineEnd lastLineEnd_ = LineEnd::lf;
};

}  // namespace pumpcalc::cli
