// The batch mode of pumpcalc-cli: a pump schedule in, one result line per record out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "cli/columns.h"
#include "cli/records.h"
#include "cli/rows.h"
#include "cli/table.h"
#include "core/motor_rating.h"
#include "platform/text_codec.h"

namespace pumpcalc::cli {

struct BatchSettings {
  TableDialect dialect;
  bool header = false;                     // the first record names the columns
  std::optional<ColumnSelection> columns;  // default: the first three
  const MotorRatings* ratings = nullptr;   // add the motor rating from these
  // Every row's specific gravity, read as its inputs are; not with a fourth column.
  std::optional<std::string> specificGravity;
  std::optional<ExtendedReal> margin;  // add the required motor power, the rating from it
  unsigned threads = 1;                // computing threads for inputs larger than one chunk
  std::size_t chunkBytes = std::size_t{1} << 18;
  // Plain lines are split by the computing threads (off: record by record as they are read,
  // the way records over lines always are).
  bool lineBlocks = true;
  // The schedule's encoding when it is not UTF-8: it is read through it, and the output is
  // written in it too unless outputInUtf8 (text that a console shows). Used by the thread
  // that calls runBatch alone.
  platform::TextCodec* encoding = nullptr;
  bool outputInUtf8 = false;
};

// Reads records from `in` to its end and writes one line to `out` for each: the record as
// it came, then the shaft power and the lower and upper motor power (and the required motor
// power and the rating, when asked), or
// "error" and the message. A record that cannot be read gives an error line (not echoed)
// saying where and why, and the rest goes on. With settings.header the first record is
// written back followed by the added columns' names. A byte-order mark is kept. A schedule
// in another encoding is read as UTF-8 (a byte sequence invalid in it is invalid text in
// its field) and its output written back in that encoding.
//
// With more than one thread, chunks of records are computed in parallel and written in
// input order; at most a few chunks are held at a time. Every thread computes under its own
// float unit, freshly reset; DecimalSeparatorChar must not change during the run.
//
// Throws BatchFailure when reading or writing fails or the header cannot be read; what was
// written by then is incomplete.
BatchSummary runBatch(ByteSource& in, ByteSink& out, const BatchSettings& settings);

// runBatch into a temporary file beside `path`, renamed over it once everything is written
// and flushed to the disk. Throws BatchFailure as runBatch does, or when the file cannot be
// written; `path` is then as it was and the temporary file is gone.
BatchSummary runBatchIntoFile(ByteSource& in, const std::string& path,
                              const BatchSettings& settings);

}  // namespace pumpcalc::cli
