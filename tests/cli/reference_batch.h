// A plain reading of a pump schedule, for comparison with the batch: the whole input at
// once, one record and one byte at a time, written for clarity and sharing nothing with
// cli/. The numbers come from the calculation as the single-pump command line runs it.
//
// What it reads, in order:
// - A UTF-8 byte-order mark at the start is skipped and written first.
// - A record is a line. In CSV a field that begins with '"' is quoted: it runs to the next
//   '"' that is not doubled, line ends included; a quote anywhere else is an ordinary byte.
//   A record that spans lines but is not well-formed (its quote never closes, or it fails
//   the check of its place: readable as a header, readable and of the layout's width as a
//   row) is only its first line. A CR just before a line end, or at the end of the input,
//   belongs to the line end.
// - A record's fields are checked in order; the first field with a NUL byte, a byte that
//   begins no valid UTF-8 sequence, a quote that never closes or text after its closing
//   quote makes the record an error line that is not echoed.
// - A GB18030 schedule is first converted to UTF-8 by the system (tests/cli/system_gb18030.h),
//   a code it rejects becoming a byte that no UTF-8 holds, and the output converted back.
// Fields over 1 MiB are not modelled: the inputs compared here stay far below that.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/motor_rating.h"
#include "tests/cli/system_gb18030.h"

namespace pumpcalc::clitest {

// One of the three chosen columns: a 1-based number, or (number 0) a header name.
struct ReferenceColumn {
  std::size_t number = 0;
  std::string name;
};

struct ReferenceSettings {
  bool csv = false;
  char separator = '\t';
  bool header = false;
  // Three of them, or four with the specific gravity's.
  std::optional<std::vector<ReferenceColumn>> columns;
  const MotorRatings* ratings = nullptr;
  std::optional<std::string> specificGravity;  // every record's, without a fourth column
  std::optional<ExtendedReal> margin;          // the required motor power, the rating from it
  SystemGb18030* gb18030 = nullptr;            // set: the schedule is GB18030, converted by this
};

struct ReferenceResult {
  std::string output;
  unsigned long long lines = 0;
  unsigned long long failedLines = 0;
  // Set when the batch as a whole cannot go on (a header that cannot be read or that lacks
  // a chosen column): its message; `output` then means nothing.
  std::optional<std::string> failure;
};

// The batch's output for `input`, under the current DecimalSeparatorChar.
ReferenceResult referenceBatch(std::string_view input, const ReferenceSettings& settings);

}  // namespace pumpcalc::clitest
