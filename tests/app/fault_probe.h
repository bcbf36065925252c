// The messages that the end-to-end tests post to the fault probe's window: each makes its
// handler fail.
#pragma once

#include "app/window_messages.h"

namespace pumpcalc::probe {

inline constexpr UINT failWithZeroDivide = firstUnusedMessage;
inline constexpr UINT failWithForeignValue = firstUnusedMessage + 1;

}  // namespace pumpcalc::probe
