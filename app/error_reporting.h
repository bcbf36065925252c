// Reporting an error caught by an error net: a message box over the program's windows.
#pragma once

#include <string>

#include "platform/shortenable_text.h"

namespace pumpcalc {

// Shows the error being handled (call it in a catch block) and returns; raises nothing.
// An error of the Exception family shows its message in a box owned by the application
// window, captioned with the title; any other raised value shows the fallback text in an
// "Application Error" box. The program goes on either way.
void reportError() noexcept;

// The text of the box for an error message: a "." is appended when the last character
// compares greater than "." (a character of more than one byte always does).
std::string errorBoxText(const std::string& message);

// A message box owned by the application window, centred on the active window's monitor and
// kept within its work area (the text shortened where the whole would not fit), with every
// other window of the program disabled while it shows; everything is restored afterwards,
// also when showing fails. Returns the system's answer.
int showApplicationMessageBox(const platform::ShortenableText& text, const std::string& caption,
                              unsigned flags);

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
