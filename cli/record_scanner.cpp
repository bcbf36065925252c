#include "cli/record_scanner.h"

#include <algorithm>
#include <cstring>

namespace pumpcalc::cli {
namespace {

constexpr std::size_t readBlock = std::size_t{1} << 16;

}  // namespace

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
  if (!started_) {
    started_ = true;
    while (end_ - pos_ < byteOrderMark.size() && fill()) {
    }
    if (std::string_view(buffer_.data() + pos_, end_ - pos_).starts_with(byteOrderMark)) {
      byteOrderMark_ = true;
      pos_ += byteOrderMark.size();
    }
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
  if (dialect_.format == TableFormat::csv &&
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

bool RecordScanner::findQuotedRecord(Found& found) {
  const char* const data = buffer_.data();
  const char separator = dialect_.separator;
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
      if (lines > 1 && validator_ && !validator_(std::string_view(data + pos_, found.end - pos_))) {
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
