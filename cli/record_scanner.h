// Cuts a pump schedule into records, reading it piece by piece, so that memory stays bounded
// by the longest record rather than the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/byte_stream.h"
#include "cli/record_fields.h"
#include "cli/table_dialect.h"

namespace pumpcalc::cli {

struct RecordSpan {
  std::size_t offset = 0;  // in Chunk::bytes
  std::size_t length = 0;  // without the line end (and a CR before it)
  std::uint64_t line = 0;  // the line it begins on, 1-based
  // A record without a line end (the input's last) ends as the record before it did.
  LineEnd lineEnd = LineEnd::lf;
  // Set for a record whose bytes were dropped while scanning (a field far too long).
  RecordCheck dropped;
};

// Records in input order and the bytes they refer to.
struct Chunk {
  std::string bytes;
  std::vector<RecordSpan> records;

  std::string_view text(const RecordSpan& record) const {
    return std::string_view(bytes).substr(record.offset, record.length);
  }
};

class RecordScanner {
 public:
  // Whether a record that spans lines is well-formed (see next()).
  using Validator = std::function<bool(std::string_view record)>;

  RecordScanner(ByteSource& source, TableDialect dialect) : source_(source), dialect_(dialect) {}

  void setValidator(Validator validator) { validator_ = std::move(validator); }

  // Replaces `chunk`'s records with the next ones: at least one, and more until their bytes
  // reach `targetBytes` or their count `maxRecords`. False when the input has no record
  // left. A record is a line; in CSV a quoted field may hold line ends, but a record that
  // spans lines and is not well-formed (its quote never closes, a quoted field passes
  // maxFieldBytes, or the validator rejects it) is cut at its first line end, so that a
  // stray quote costs one line and reading goes on with the next. A UTF-8 byte-order mark
  // at the start is skipped (see hadByteOrderMark).
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

  // Reads more input behind what the buffer holds; false at the end of the input.
  bool fill();
  // The record at pos_, or false when more input is needed to tell where it ends.
  bool findRecord(Found& found);
  bool findQuotedRecord(Found& found);
  // Drops input up to and including the next line end; false when more input is needed.
  bool skipLine(Found& found);

  ByteSource& source_;
  TableDialect dialect_;
  Validator validator_;
  std::string buffer_;
  std::size_t pos_ = 0, end_ = 0;  // unread bytes: buffer_[pos_, end_)
  bool eof_ = false, started_ = false, byteOrderMark_ = false;
  bool skipping_ = false;  // dropping the rest of a line (skipLine)
  std::uint64_t line_ = 1;
  LineEnd lastLineEnd_ = LineEnd::lf;
};

}  // namespace pumpcalc::cli
