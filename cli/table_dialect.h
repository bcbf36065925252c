// How a pump schedule is written: tab-separated lines, or CSV as spreadsheets save it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pumpcalc::cli {

enum class TableFormat : std::uint8_t {
  tsv,  // fields separated by the separator, no quoting; what --batch has always read
  csv,  // RFC 4180: fields that begin with a quote are quoted, "" inside is one quote
};

struct TableDialect {
  TableFormat format = TableFormat::tsv;
  char separator = '\t';
};

// No field may be longer than this, quotes included.
inline constexpr std::size_t maxFieldBytes = std::size_t{1} << 20;

inline constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

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
      return std::string("'") + separator + "'-separated";
  }
}

}  // namespace pumpcalc::cli
