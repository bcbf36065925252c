#include "cli/records.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/motor_rating.h"

namespace pumpcalc::cli {
namespace {

[[noreturn]] void fail(const char* what, const std::string& name, const std::string& error) {
  throw BatchFailure(std::string("cannot ") + what + " " + name + ": " + error);
}

constexpr std::size_t readBlock = std::size_t{1} << 16;

// The offset of the first `c` in data[from, to), or `to`: eight bytes at a time, as the
// C library's memchr is a byte loop on some systems.
std::size_t firstOf(const char* data, std::size_t from, std::size_t to, char c) noexcept {
  std::size_t i = from;
  for (; i + 8 <= to; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + i, 8);
    if (const std::uint64_t found = detail::bytesEqualTo(word, c)) {
      return i + static_cast<std::size_t>(std::countr_zero(found)) / 8;
    }
  }
  while (i < to && data[i] != c) ++i;
  return i;
}

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
  const std::size_t wanted = std::max(readBlock, end_);
  if (buffer_.size() < end_ + wanted) buffer_.resize(end_ + wanted);
  // A source may hand out less than asked; only a full block keeps rescanning linear.
  const std::size_t start = end_;
  while (end_ - start < wanted) {
    const std::size_t count = source_.read(buffer_.data() + end_, wanted - (end_ - start));
    if (count == 0) {
      eof_ = true;
      break;
    }
    end_ += count;
  }
  return end_ != start;
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
    cut = firstOf(data, limit, end_, '\n');
    if (cut == end_) return false;
    ++cut;
  }
  // In CSV, only the lines before the first quote: from its line on, records are found one
  // by one.
  if (settings_.dialect.format == TableFormat::csv) {
    std::size_t quote = firstOf(data, pos_, cut, '"');
    if (quote != cut) {
      while (quote > pos_ && data[quote - 1] != '\n') --quote;
      if (quote == pos_) return false;
      cut = quote;
    }
  }
  std::uint64_t lineEnds = 0;
  std::size_t i = pos_;
  for (; i + 8 <= cut; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + i, 8);
    // The count of marked bytes: their high bits summed in the top byte.
    lineEnds += ((detail::bytesEqualTo(word, '\n') >> 7) * detail::eachByte) >> 56;
  }
  for (; i < cut; ++i) lineEnds += data[i] == '\n';
  chunk.bytes.assign(data + pos_, cut - pos_);
  chunk.lineBlock = true;
  chunk.firstLine = line_;
  chunk.lineEndBefore = lastLineEnd_;
  // The last line end's kind; a CR before it is on its line, as it is no LF.
  lastLineEnd_ = cut - 1 > pos_ && data[cut - 2] == '\r' ? LineEnd::crlf : LineEnd::lf;
  line_ += lineEnds;
  pos_ = cut;
  return true;
}

bool RecordScanner::skipLine(Found& found) {
  const void* newline = std::memchr(buffer_.data() + pos_, '\n', end_ - pos_);
  if (newline == nullptr) {
    pos_ = end_;
    return false;
  }
  pos_ = static_cast<std::size_t>(static_cast<const char*>(newline) - buffer_.data()) + 1;
  skipping_ = false;
  return findRecord(found);
}

bool RecordScanner::findRecord(Found& found) {
  const char* const data = buffer_.data();
  if (pos_ == end_) return false;
  const void* newline = std::memchr(data + pos_, '\n', end_ - pos_);
  const std::size_t lineEnd =
      newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - data)
                         : end_;
  if (settings_.dialect.format == TableFormat::csv &&
      std::memchr(data + pos_, '"', lineEnd - pos_) != nullptr) {
    return findQuotedRecord(found);
  }
  if (newline == nullptr && !eof_) return false;
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
  if (check.problem != RecordProblem::none) return false;
  if (settings_.width == 0) return true;
  return settings_.widthIsMinimum ? count >= settings_.width : count == settings_.width;
}

bool RecordScanner::findQuotedRecord(Found& found) {
  const char* const data = buffer_.data();
  const char separator = settings_.dialect.separator;
  constexpr std::size_t none = std::string_view::npos;
  std::size_t firstLineEnd = none;
  std::uint64_t lines = 1;
  std::size_t field = 1, quotedField = 0;

  // The record cut at its first line end; a quote that opened there never closes in a
  // record that could be read.
  std::size_t i = pos_;
  const auto cut = [&](bool atLimit) {
    if (firstLineEnd != none) {
      found = endsAt(firstLineEnd, 1);
    } else if (!atLimit) {
      found = endsAt(end_, 1);  // the input ends inside the quote
    } else {
      // One line, its quoted field already too long: dropped up to its line end, which
      // lies beyond i.
      found = {pos_, i, 1, false, LineEnd::lf, {RecordProblem::fieldTooLong, quotedField}};
      skipping_ = true;
    }
    return true;
  };

  bool fieldStart = true;
  for (;;) {
    if (i == end_ || data[i] == '\n') {
      if (i == end_ && !eof_) return false;
      found = endsAt(i, lines);
      if (lines > 1 && !isWhole(std::string_view(data + pos_, found.end - pos_))) {
        return cut(false);
      }
      return true;
    }
    const char c = data[i];
    if (c == separator) {
      fieldStart = true;
      ++field;
      ++i;
      continue;
    }
    if (c != '"' || !fieldStart) {
      fieldStart = false;
      ++i;
      continue;
    }
    // A quoted field: up to the next quote that is not doubled.
    const std::size_t open = i++;
    quotedField = field;
    for (;;) {
      if (i == end_) {
        if (!eof_) return false;
        return cut(false);
      }
      if (i - open > maxFieldBytes) return cut(true);
      if (data[i] == '"') {
        if (i + 1 == end_ && !eof_) return false;
        if (i + 1 == end_ || data[i + 1] != '"') break;
        i += 2;
        continue;
      }
      if (data[i] == '\n') {
        ++lines;
        if (firstLineEnd == none) firstLineEnd = i;
      }
      ++i;
    }
    ++i;  // the closing quote
    fieldStart = false;
  }
}

}  // namespace pumpcalc::cli
