// The fields of one record, and what is wrong with a record that cannot be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "cli/table_dialect.h"

namespace pumpcalc::cli {

// A field as it stands in its record: quotes, if any, included.
struct FieldSpan {
  std::size_t offset = 0;
  std::size_t length = 0;
  bool quoted = false;
};

enum class RecordProblem : std::uint8_t {
  none,
  unmatchedQuote,  // a quoted field that does not end within its record
  textAfterQuote,  // a closing quote followed by anything but a separator
  fieldTooLong,    // over maxFieldBytes
  nulByte,
  invalidUtf8,
};

struct RecordCheck {
  RecordProblem problem = RecordProblem::none;
  std::size_t field = 0;  // 1-based: the field where the problem is
};

// "unmatched quote in field 2" and the like; empty for none.
std::string problemText(const RecordCheck& check);

// Where the first NUL byte or invalid UTF-8 sequence of `text` begins, or npos.
struct TextFault {
  std::size_t offset = std::string_view::npos;
  RecordProblem problem = RecordProblem::none;
};
TextFault findTextFault(std::string_view text) noexcept;

// Calls onField(index, span) for each field of `record` (without its line end) in order,
// 0-based, and returns the first problem; fields after a problem are not visited. In TSV
// the separator alone ends a field; in CSV a field that begins with '"' runs to the next
// '"' not doubled, and any other '"' is an ordinary character.
template <class OnField>
RecordCheck forEachField(std::string_view record, const TableDialect& dialect, OnField&& onField) {
  const TextFault fault = findTextFault(record);
  const char separator = dialect.separator;
  const char* const data = record.data();
  const std::size_t size = record.size();
  std::size_t pos = 0;
  for (std::size_t index = 0;; ++index) {
    const std::size_t start = pos;
    FieldSpan span{start, 0, false};
    RecordProblem problem = RecordProblem::none;
    if (dialect.format == TableFormat::csv && pos < size && data[pos] == '"') {
      span.quoted = true;
      for (++pos;;) {
        const void* quote = std::memchr(data + pos, '"', size - pos);
        if (quote == nullptr) {
          problem = RecordProblem::unmatchedQuote;
          pos = size;
          break;
        }
        pos = static_cast<std::size_t>(static_cast<const char*>(quote) - data) + 1;
        if (pos == size || data[pos] != '"') break;
        ++pos;  // a doubled quote
      }
      if (problem == RecordProblem::none && pos != size && data[pos] != separator) {
        problem = RecordProblem::textAfterQuote;
      }
    } else {
      const void* next = std::memchr(data + pos, separator, size - pos);
      pos =
          next != nullptr ? static_cast<std::size_t>(static_cast<const char*>(next) - data) : size;
    }
    span.length = pos - start;
    // A NUL byte or bad UTF-8 in this field counts first: the rest of it means nothing.
    if (fault.offset < pos) {
      return {fault.problem, index + 1};
    }
    if (problem != RecordProblem::none) return {problem, index + 1};
    if (span.length > maxFieldBytes) return {RecordProblem::fieldTooLong, index + 1};
    onField(index, span);
    if (pos == size) return {};
    ++pos;  // the separator
  }
}

// The text of a field: without the quotes of a quoted field, each doubled quote as one.
// May return a view of `scratch`.
std::string_view fieldText(std::string_view record, const FieldSpan& field, std::string& scratch);

}  // namespace pumpcalc::cli
