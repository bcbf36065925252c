// Reporting an error caught by an error net: a message box over the program's windows.
#pragma once

#include <string>

namespace pumpcalc {

// Shows the error being handled (call it in a catch block) and returns; raises nothing.
void reportError() noexcept;

// The text of the box for an error message: a "." is appended when the last character
// compares greater than "." (a non-ASCII last character always gets one).
std::string errorBoxText(const std::string& message);

// Runs one step inside an error net: an error that escapes it is reported, and the
// program goes on.
template <class Step>
void runInErrorNet(Step&& step) noexcept {
  try {
    step();
  } catch (...) {
    reportError();
  }
}

}  // namespace pumpcalc
