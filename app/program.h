// The process from its first step to its exit code.
#pragma once

#include <functional>

namespace pumpcalc {

// Starts up in order (float unit reset, the last-resort handler, the error hooks, the
// decimal separator), runs `body`, shuts down (the error hooks removed) and returns the exit
// code 0. An error that escapes `body` ends the program through the last-resort path with
// exit code 1.
int runProgram(const std::function<void()>& body);

}  // namespace pumpcalc
