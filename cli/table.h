// A pump schedule's text: how its fields are written (tab-separated, or CSV as spreadsheets
// save it), how a record splits into fields, and what is wrong with one that cannot be read.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

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
  switch (separator) {
    case '\t':
      return "tab-separated";
    case ',':
      return "comma-separated";
    case ';':
      return "semicolon-separated";
    default:
      return quoted(std::string_view(&separator, 1)) + "-separated";
  }
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

namespace detail {

inline constexpr std::uint64_t eachByte = 0x0101'0101'0101'0101u;
inline constexpr std::uint64_t highBits = 0x8080'8080'8080'8080u;
inline constexpr std::uint64_t lowBits = 0x7F7F'7F7F'7F7F'7F7Fu;

// The high bit of each zero byte of x, exactly.
constexpr std::uint64_t zeroBytes(std::uint64_t x) noexcept {
  return ~(((x & lowBits) + lowBits) | x | lowBits);
}
constexpr std::uint64_t bytesEqualTo(std::uint64_t x, char c) noexcept {
  return zeroBytes(x ^ (eachByte * static_cast<unsigned char>(c)));
}

// The bytes of `record` from `base` on, eight of them or the rest, as one little-endian word
// (byte base + i in bits 8i to 8i + 7), and the high bit of each of those bytes in `inRecord`.
inline std::uint64_t wordAt(std::string_view record, std::size_t base,
                            std::uint64_t& inRecord) noexcept {
  const char* const data = record.data();
  const std::size_t size = record.size();
  const std::size_t count = size - base < 8 ? size - base : 8;
  std::uint64_t word = 0;
  if (count == 8) {
    std::memcpy(&word, data + base, 8);
  } else if (size >= 8) {
    // The last eight bytes, shifted so that the tail comes first.
    std::memcpy(&word, data + size - 8, 8);
    word >>= 8 * (8 - count);
  } else {
    for (std::size_t i = 0; i < count; ++i) {
      word |= std::uint64_t{static_cast<unsigned char>(data[base + i])} << (8 * i);
    }
  }
  inRecord = count == 8 ? highBits : highBits & ((1ull << (8 * count)) - 1);
  return word;
}

}  // namespace detail

// forEachField for the common record, eight bytes at a time: ASCII text without NUL bytes,
// without quotes in CSV, and no longer than a field may be. Returns false, having visited
// nothing, for any other record. The fields of such a record are unquoted and well-formed.
//
// The whole record is checked before the first field is visited: a caller that falls back
// to forEachField must not have seen part of the record already.
template <class OnField>
bool forEachPlainField(std::string_view record, const TableDialect& dialect, OnField&& onField) {
  using namespace detail;
  const std::size_t size = record.size();
  if (size > maxFieldBytes) return false;
  const bool csv = dialect.format == TableFormat::csv;
  std::uint64_t inRecord;
  for (std::size_t base = 0; base < size; base += 8) {
    const std::uint64_t word = wordAt(record, base, inRecord);
    std::uint64_t unusual = zeroBytes(word) | (word & highBits);
    if (csv) unusual |= bytesEqualTo(word, '"');
    if ((unusual & inRecord) != 0) return false;
  }
  std::size_t start = 0, index = 0;
  for (std::size_t base = 0; base < size; base += 8) {
    const std::uint64_t word = wordAt(record, base, inRecord);
    for (std::uint64_t separators = bytesEqualTo(word, dialect.separator) & inRecord;
         separators != 0; separators &= separators - 1) {
      const std::size_t at = base + static_cast<std::size_t>(std::countr_zero(separators)) / 8;
      onField(index++, FieldSpan{start, at - start, false});
      start = at + 1;
    }
  }
  onField(index, FieldSpan{start, size - start, false});
  return true;
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
