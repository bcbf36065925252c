// Message boxes as a user reads and answers them, for the end-to-end tests.
#pragma once

#include <string>

#include "tests/e2e/driver.h"

namespace pumpcalc::e2e {

// UTF-8, for readable comparisons and failure messages.
std::string narrow(const std::wstring& text);

struct MessageBoxSeen {
  HWND handle = nullptr;
  std::string caption;
  std::string text;
};

// The first visible message box of the program within the time (handle null if none).
MessageBoxSeen waitForMessageBox(const LaunchedProgram& program, int timeoutMs);
// Presses its OK button and waits until it is gone.
void pressOk(const MessageBoxSeen& box, int timeoutMs);

// The program's confirmation dialog (a "TMessageForm" window), once it shows; null if none.
HWND waitForConfirmation(const LaunchedProgram& program, int timeoutMs);
// Answers the confirmation with the button of that caption ("OK" or "Cancel") and waits
// until the dialog is gone; false when no dialog came.
bool answerConfirmation(const LaunchedProgram& program, std::wstring_view button, int timeoutMs);

}  // namespace pumpcalc::e2e
