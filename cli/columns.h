// Which columns of a schedule a batch reads, and what it adds to each row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/table.h"
#include "core/extended_real.h"
#include "core/motor_rating.h"

namespace pumpcalc::cli {

// One column of --columns: a 1-based number, or a name from the header.
struct ColumnChoice {
  std::size_t number = 0;  // 0 when `name` is meant
  std::string name;
};

// The flow, head and efficiency columns as --columns names them, and perhaps a fourth, the
// specific gravity's.
using ColumnSelection = std::vector<ColumnChoice>;

// "2,3,5", "flow,head,eff", "2,3,5,SG", or a mix; read as one CSV record, so that a quoted
// item is always a name ("\"12\"" is the column named 12) and a name may hold a comma.
// Returns the selection of three or four, or what is wrong with it, said after --columns
// ("'1,2' names 2 columns, ...").
std::variant<ColumnSelection, std::string> parseColumnSelection(std::string_view text);

bool namesColumns(const ColumnSelection& selection);

struct RowLayout {
  static constexpr std::size_t noColumn = SIZE_MAX;

  TableDialect dialect;
  // 0-based: flow, head, efficiency, and the specific gravity's or noColumn.
  std::array<std::size_t, 4> columns{0, 1, 2, noColumn};
  std::size_t width = 3;        // the fields each record has
  bool widthIsMinimum = false;  // ... or more
  std::string widthMessage;     // "expected 3 tab-separated fields (...), found " and a count
  const MotorRatings* ratings = nullptr;       // a motor rating column, from these ratings
  std::optional<std::string> specificGravity;  // every row's, where no column gives it
  std::optional<ExtendedReal> margin;          // a required motor power column, the rating from it
  bool quoteNumbers = false;                   // in CSV, when the decimal separator needs quoting
};

// The layout for records like these: with a header (its field names), every record has as
// many fields as it; without one, exactly three, or with --columns at least as many as its
// highest column. Returns the layout, or a message when a column is not there. The
// specific gravity and the margin are the caller's to set.
std::variant<RowLayout, std::string> makeRowLayout(
    const TableDialect& dialect, const std::optional<ColumnSelection>& selection,
    const std::optional<std::vector<std::string>>& headerNames, const MotorRatings* ratings,
    char decimalSeparator);

}  // namespace pumpcalc::cli
