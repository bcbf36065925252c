#include "cli/records.h"

#include <algorithm>
#include <cstring>

#include "core/utf8.h"

namespace pumpcalc::cli {
namespace {

[[noreturn]] void fail(const char* what, const std::string& name, const std::string& error) {
  throw BatchFailure(std::string("cannot ") + what + " " + name + ": " + error);
}

constexpr std::size_t none = std::string_view::npos;

}  // namespace

std::size_t StreamSource::read(char* buffer, std::size_t size) {
  std::size_t count = 0;
  std::string error;
  if (!stream_.read(buffer, size, count, error)) fail("read", name_, error);
  return count;
}

void StreamSink::write(const char* data, std::size_t size) {
  std::string error;
  if (!stream_.write({data, size}, error)) fail("write", name_, error);
}

void StreamSink::flush() {
  std::string error;
  if (!stream_.flush(error)) fail("write", name_, error);
}

bool RecordScanner::fill() {
  if (eof_) return false;
  if (pos_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  // At least as much as is held already, so that rescanning a long record stays linear.
  const std::size_t wanted = std::max(ByteSource::readBlock, end_);
  if (buffer_.size() < end_ + wanted) buffer_.resize(end_ + wanted);
  // Only a full block keeps rescanning linear.
  const std::size_t count = source_.readFully(buffer_.data() + end_, wanted);
  end_ += count;
  eof_ = count < wanted;
  return count != 0;
}

bool RecordScanner::next(Chunk& chunk, std::size_t targetBytes, std::size_t maxRecords) {
  chunk.bytes.clear();
  chunk.records.clear();
  chunk.lineBlock = false;
  if (!started_) {
    started_ = true;
    while (end_ - pos_ < byteOrderMark.size() && fill()) {
    }
    if (std::string_view(buffer_.data() + pos_, end_ - pos_).starts_with(byteOrderMark)) {
      byteOrderMark_ = true;
      pos_ += byteOrderMark.size();
    }
  }
  if (settings_.lineBlocks && maxRecords == SIZE_MAX && !skipping_ &&
      takeLineBlock(chunk, targetBytes)) {
    return true;
  }
  while (chunk.records.size() < maxRecords && chunk.bytes.size() < targetBytes) {
    Found found{};
    if (skipping_ ? !skipLine(found) : !findRecord(found)) {
      if (fill()) continue;
      if (pos_ == end_) break;  // the end of the input
      continue;                 // at the end, findRecord takes what is left
    }
    RecordSpan span;
    span.offset = chunk.bytes.size();
    span.length = found.end - pos_;
    span.line = line_;
    span.dropped = found.dropped;
    if (found.hasLineEnd) lastLineEnd_ = found.lineEnd;
    span.lineEnd = lastLineEnd_;
    chunk.bytes.append(buffer_.data() + pos_, span.length);
    chunk.records.push_back(span);
    line_ += found.lines;
    pos_ = found.next;
  }
  return !chunk.records.empty();
}

bool RecordScanner::takeLineBlock(Chunk& chunk, std::size_t targetBytes) {
  while (end_ - pos_ < targetBytes && fill()) {
  }
  // Up to the last line end within the target, or the first beyond it. A last line without
  // a line end is left to next()'s record by record.
  const char* const data = buffer_.data();
  const std::size_t limit = std::min(end_, pos_ + targetBytes);
  std::size_t cut = limit;
  while (cut > pos_ && data[cut - 1] != '\n') --cut;
  if (cut == pos_) {
    cut = findByte(data, limit, end_, '\n');
    if (cut == end_) return false;
    ++cut;
  }
  // In CSV, only the lines before the first quote: from its line on, records are found one
  // by one.
  if (settings_.dialect.format == TableFormat::csv) {
    std::size_t quote = findByte(data, pos_, cut, '"');
    if (quote != cut) {
      while (quote > pos_ && data[quote - 1] != '\n') --quote;
      if (quote == pos_) return false;
      cut = quote;
    }
  }
  chunk.bytes.assign(data + pos_, cut - pos_);
  chunk.lineBlock = true;
  chunk.firstLine = line_;
  chunk.lineEndBefore = lastLineEnd_;
  // The last line end's kind; a CR before it is on its line, as it is no LF.
  lastLineEnd_ = cut - 1 > pos_ && data[cut - 2] == '\r' ? LineEnd::crlf : LineEnd::lf;
  forEachMarked(data, pos_, cut, BytesEqualTo('\n'), [this](std::size_t) { ++line_; });
  pos_ = cut;
  return true;
}

bool RecordScanner::skipLine(Found& found) {
  const std::size_t lineEnd = findByte(buffer_.data(), pos_, end_, '\n');
  if (lineEnd == end_) {
    pos_ = end_;
    return false;
  }
  pos_ = lineEnd + 1;
  skipping_ = false;
  return findRecord(found);
}

bool RecordScanner::findRecord(Found& found) {
  const char* const data = buffer_.data();
  if (pos_ == end_) return false;
  const std::size_t lineEnd = findByte(data, pos_, end_, '\n');
  if (settings_.dialect.format == TableFormat::csv &&
      findByte(data, pos_, lineEnd, '"') != lineEnd) {
    return findQuotedRecord(found);
  }
  if (lineEnd == end_ && !eof_) return false;
  found = endsAt(lineEnd, 1);
  return true;
}

RecordScanner::Found RecordScanner::endsAt(std::size_t lineEnd, std::uint64_t lines) const {
  const bool hasLineEnd = lineEnd != end_;
  std::size_t end = lineEnd;
  const bool carriageReturn = end > pos_ && buffer_[end - 1] == '\r';
  if (carriageReturn) --end;
  return {end,
          hasLineEnd ? lineEnd + 1 : end_,
          lines,
          hasLineEnd,
          carriageReturn ? LineEnd::crlf : LineEnd::lf,
          {}};
}

bool RecordScanner::isWhole(std::string_view record) const {
  if (!settings_.checkSpanning) return true;
  std::size_t count = 0;
  const RecordCheck check =
      forEachField(record, settings_.dialect, [&count](std::size_t, const FieldSpan&) { ++count; });
  return check.problem == RecordProblem::none &&
         (settings_.width == 0 || fitsWidth(count, settings_.width, settings_.widthIsMinimum));
}

bool RecordScanner::findQuotedRecord(Found& found) {
  const char* const data = buffer_.data();
  const auto fieldEnds = [separator = BytesEqualTo(settings_.dialect.separator),
                          lineEnd = BytesEqualTo('\n')](std::uint64_t word) {
    return separator(word) | lineEnd(word);
  };
  QuotedLines quoted;
  std::size_t i = pos_;
  for (std::size_t field = 1;; ++field) {
    if (i < end_ && data[i] == '"') {
      const QuotedField read = readQuotedField(i, field, quoted, found);
      if (read != QuotedField::closed) return read == QuotedField::endsTheRecord;
    }
    i = findFirst(data, i, end_, fieldEnds);
    if (i == end_ || data[i] == '\n') break;
    ++i;  // the separator
  }
  if (i == end_ && !eof_) return false;
  found = endsAt(i, quoted.lines);
  // Over lines but not whole: cut at its first line end, as an unclosed quote is.
  if (quoted.lines > 1 && !isWhole(std::string_view(data + pos_, found.end - pos_))) {
    found = endsAt(quoted.firstLineEnd, 1);
  }
  return true;
}

RecordScanner::QuotedField RecordScanner::readQuotedField(std::size_t& i, std::size_t field,
                                                          QuotedLines& quoted, Found& found) {
  const char* const data = buffer_.data();
  const std::size_t open = i;
  const std::size_t close = closingQuote(data, open, end_);
  // A field this long is too long: the scan stops there, and line ends beyond do not count.
  const std::size_t limit = open + maxFieldBytes + 1;
  forEachMarked(data, open, std::min(close, limit), BytesEqualTo('\n'), [&](std::size_t at) {
    ++quoted.lines;
    quoted.firstLineEnd = std::min(quoted.firstLineEnd, at);
  });
  if (close < std::min(end_, limit)) {
    if (close + 1 == end_ && !eof_) return QuotedField::needsMoreInput;  // "" perhaps
    i = close + 1;
    return QuotedField::closed;
  }
  // The input ends in the quotes before the limit (the two quotes of a doubled one are one
  // step, across the limit or not). A quote that opened at the first line end never closes
  // in a record that could be read.
  if (close == end_ && end_ - (data[end_ - 1] == '"' ? 1 : 0) <= limit) {
    if (!eof_) return QuotedField::needsMoreInput;
    found = endsAt(quoted.firstLineEnd != none ? quoted.firstLineEnd : end_, 1);
  } else if (quoted.firstLineEnd != none) {
    found = endsAt(quoted.firstLineEnd, 1);  // too long, over lines
  } else {
    // Too long on one line: dropped up to its line end, which lies beyond the limit.
    found = {pos_, limit, 1, false, LineEnd::lf, {RecordProblem::fieldTooLong, field}};
    skipping_ = true;
  }
  return QuotedField::endsTheRecord;
}

}  // namespace pumpcalc::cli
