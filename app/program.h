// The process from its first step to its exit code.
#pragma once

#include <functional>

namespace pumpcalc {

// Starts up in order (float unit reset, the last-resort handler, the error hooks, the
// decimal separator, the application object with its window), runs `body` (which creates
// the main window and runs the event loop), shuts down (windows destroyed, the last created
// first, then the application object; the error hooks removed) and returns the exit code 0.
// An error that escapes ends the program through the last-resort path with exit code 1.
int runProgram(const std::function<void()>& body);

}  // namespace pumpcalc
