// A batch written to a file that it replaces only once the whole input is processed.
#pragma once

#include <string>

#include "cli/batch.h"

namespace pumpcalc::cli {

// runBatch into a temporary file beside `path`, renamed over it once everything is written
// and flushed to the disk. Throws BatchFailure as runBatch does, or when the file cannot be
// written; `path` is then as it was and the temporary file is gone.
BatchSummary runBatchIntoFile(ByteSource& in, const std::string& path,
                              const BatchSettings& settings);

}  // namespace pumpcalc::cli
