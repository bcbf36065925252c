// The batch mode of pumpcalc-cli: a pump schedule in, one result line per input line out.
#pragma once

#include <cstdio>

namespace pumpcalc::cli {

struct BatchSummary {
  unsigned long long lines = 0;
  unsigned long long failedLines = 0;
};

// Reads lines of "flow<TAB>head<TAB>efficiency" (a trailing CR dropped) from `in` until its
// end and writes for each "flow<TAB>head<TAB>efficiency<TAB>" followed by the three result
// texts, or by "error<TAB>" and the error's message, tab-separated, one line each.
// A line that is not exactly three fields is an error line; the rest goes on.
// Returns false only when reading or writing fails (errno tells why).
bool runBatch(std::FILE* in, std::FILE* out, BatchSummary& summary);

}  // namespace pumpcalc::cli
