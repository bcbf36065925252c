// The failures that the probe programs make on request, each named by a mode.
#pragma once

#include <stdexcept>
#include <string_view>

#include "core/error_mapping.h"
#include "core/errors.h"
#include "core/pump_power.h"

namespace pumpcalc::probe {

inline volatile int* volatile nowhere = nullptr;
inline volatile int depthLimit = -1;  // never reached: the recursion ends in a stack overflow

inline int recurse(int depth) {
  volatile char frame[4096];
  frame[0] = static_cast<char>(depth);
  if (depth == depthLimit) return 0;
  return recurse(depth + 1) + frame[0];
}

// Fails as `mode` says: a processor exception ("read-null", "write-null", "stack-overflow"),
// a floating-point fault of the calculation ("zero-divide"), a raised value outside the error
// family ("foreign"), or an error raised once the error hooks are gone ("without-hooks").
// Any other mode does nothing.
inline void failAs(std::string_view mode) {
  if (mode == "read-null") depthLimit = *nowhere;
  if (mode == "write-null") *nowhere = 1;
  if (mode == "stack-overflow") depthLimit = recurse(0);
  if (mode == "zero-divide") calculatePumpPower("1", "1", "0");
  if (mode == "foreign") throw std::runtime_error("not ours");
  if (mode == "without-hooks") {
    removeErrorHooks();
    throw Exception("too late");
  }
}

}  // namespace pumpcalc::probe
