// The output line of each record: the record as it came, then the results, or "error" and
// what went wrong.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output_text.h"
#include "cli/record_fields.h"
#include "cli/record_scanner.h"
#include "cli/row_layout.h"
#include "core/float_unit.h"

namespace pumpcalc::cli {

struct BatchSummary {
  unsigned long long lines = 0;
  unsigned long long failedLines = 0;

  BatchSummary& operator+=(const BatchSummary& other) {
    lines += other.lines;
    failedLines += other.failedLines;
    return *this;
  }
};

// Whether a record can be read and has the layout's fields: what the scanner asks of a
// record that spans lines.
bool isWellFormed(std::string_view record, const RowLayout& layout);

// The field names of a header record, or the problem that keeps it from being read.
std::variant<std::vector<std::string>, RecordCheck> headerNames(std::string_view record,
                                                                const TableDialect& dialect);

// Appends `text` as one field: in CSV quoted when it holds the separator, a quote or a line
// break, as it is otherwise.
void appendField(OutputText& out, std::string_view text, const TableDialect& dialect);

// The header record followed by the names of the added columns.
void writeHeader(std::string_view record, LineEnd lineEnd, const RowLayout& layout,
                 OutputText& out);

// Writes the output lines of `chunk`'s records (a line block's split here); one object per
// thread.
class RowWriter {
 public:
  explicit RowWriter(const RowLayout& layout) : layout_(layout) {}

  void write(const Chunk& chunk, OutputText& out, BatchSummary& summary);

 private:
  void writeRow(std::string_view record, const RecordSpan& span, OutputText& out,
                BatchSummary& summary, FloatUnitState& unit);
  void writeResults(std::string_view record, const FieldSpan (&fields)[3], OutputText& out,
                    BatchSummary& summary, FloatUnitState& unit);

  const RowLayout& layout_;
  std::string scratch_[3];
};

}  // namespace pumpcalc::cli
