// A pump schedule's text: how its fields are written (tab-separated, or CSV as spreadsheets
// save it), how a record splits into fields, and what is wrong with one that cannot be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/byte_words.h"
#include "core/utf8.h"

namespace pumpcalc::cli {

// `name` in single quotes, as messages show a name or value the user gave.
std::string quoted(std::string_view name);

enum class TableFormat : std::uint8_t {
  tsv,  // fields separated by the separator, no quoting; what --batch has always read
  csv,  // RFC 4180: fields that begin with a quote are quoted, "" inside is one quote
};

struct TableDialect {
  TableFormat format = TableFormat::tsv;
  char separator = '\t';
  // The encoding the schedule was read from, as messages name it. Its text is UTF-8 here:
  // a byte sequence that was not valid in its encoding reads as invalid UTF-8.
  std::string_view encoding = "UTF-8";
};

// No field may be longer than this, quotes included.
inline constexpr std::size_t maxFieldBytes = std::size_t{1} << 20;

enum class LineEnd : std::uint8_t { lf, crlf };

// "tab-separated", "comma-separated", "semicolon-separated" or "'|'-separated".
inline std::string separatorName(char separator) {
  if (separator == '\t') return "tab-separated";
  if (separator == ',') return "comma-separated";
  if (separator == ';') return "semicolon-separated";
  return quoted(std::string_view(&separator, 1)) + "-separated";
}

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
  invalidText,  // invalid UTF-8, or a byte sequence invalid in the schedule's encoding
};

struct RecordCheck {
  RecordProblem problem = RecordProblem::none;
  std::size_t field = 0;  // 1-based: the field where the problem is
};

// "unmatched quote in field 2" and the like ("invalid GB18030 in field 3" names `encoding`);
// empty for none.
std::string problemText(const RecordCheck& check, std::string_view encoding = "UTF-8");

// The one reading of a quoted field: where the field whose opening quote is data[open]
// closes, at the first later '"' that is not doubled, looking up to `to`; `to` where it does
// not close before. A '"' just before `to` closes: a reader that may be given more bytes asks
// again once it has them.
inline std::size_t closingQuote(const char* data, std::size_t open, std::size_t to) noexcept {
  for (std::size_t i = open + 1;; i += 2) {
    i = findByte(data, i, to, '"');
    if (i + 1 >= to || data[i + 1] != '"') return i;
  }
}

// forEachField's shortcut for the common record, eight bytes at a time: ASCII text without
// NUL bytes, without quotes in CSV, and no longer than a field may be, whose fields are
// unquoted and well-formed. Returns false, having visited nothing, for any other record: the
// whole record is checked before the first field is visited.
template <class OnField>
bool forEachPlainField(std::string_view record, const TableDialect& dialect, OnField&& onField) {
  const char* const data = record.data();
  const std::size_t size = record.size();
  const bool csv = dialect.format == TableFormat::csv;
  const auto unusual = [csv, quote = BytesEqualTo('"')](std::uint64_t word) {
    return zeroBytes(word) | nonAsciiBytes(word) | (csv ? quote(word) : 0);
  };
  if (size > maxFieldBytes || findFirst(data, 0, size, unusual) != size) return false;
  std::size_t start = 0, index = 0;
  forEachMarked(data, 0, size, BytesEqualTo(dialect.separator), [&](std::size_t at) {
    onField(index++, FieldSpan{start, at - start, false});
    start = at + 1;
  });
  onField(index, FieldSpan{start, size - start, false});
  return true;
}

// Calls onField(index, span) for each field of `record` (without its line end) in order,
// 0-based, and returns the first problem; fields after a problem are not visited. In TSV
// the separator alone ends a field; in CSV a field that begins with '"' runs to its closing
// quote, and any other '"' is an ordinary character.
template <class OnField>
RecordCheck forEachField(std::string_view record, const TableDialect& dialect, OnField&& onField) {
  if (forEachPlainField(record, dialect, onField)) return {};
  // A NUL byte or bad UTF-8 in a field counts first: the rest of the field means nothing.
  const std::size_t fault = validUtf8Length(record, true);
  const char* const data = record.data();
  const std::size_t size = record.size();
  std::size_t pos = 0;
  for (std::size_t index = 0;; ++index) {
    const std::size_t start = pos;
    const bool quoted = dialect.format == TableFormat::csv && pos < size && data[pos] == '"';
    RecordProblem problem = RecordProblem::none;
    if (quoted) {
      pos = closingQuote(data, pos, size);
      if (pos == size) {
        problem = RecordProblem::unmatchedQuote;
      } else if (++pos != size && data[pos] != dialect.separator) {
        problem = RecordProblem::textAfterQuote;
      }
    } else {
      pos = findByte(data, pos, size, dialect.separator);
    }
    if (fault < pos) {
      problem = data[fault] == '\0' ? RecordProblem::nulByte : RecordProblem::invalidText;
    } else if (problem == RecordProblem::none && pos - start > maxFieldBytes) {
      problem = RecordProblem::fieldTooLong;
    }
    if (problem != RecordProblem::none) return {problem, index + 1};
    onField(index, FieldSpan{start, pos - start, quoted});
    if (pos == size) return {};
    ++pos;  // the separator
  }
}

// Whether a record of `count` fields is as wide as asked: `width` fields, or at least so many.
constexpr bool fitsWidth(std::size_t count, std::size_t width, bool widthIsMinimum) noexcept {
  return widthIsMinimum ? count >= width : count == width;
}

// The text of a field: without the quotes of a quoted field, each doubled quote as one.
// May return a view of `scratch`.
std::string_view quotedFieldText(std::string_view record, const FieldSpan& field,
                                 std::string& scratch);
inline std::string_view fieldText(std::string_view record, const FieldSpan& field,
                                  std::string& scratch) {
  if (!field.quoted) return record.substr(field.offset, field.length);
  return quotedFieldText(record, field, scratch);
}

}  // namespace pumpcalc::cli
