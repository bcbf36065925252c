// Message boxes as a user reads and answers them, for the end-to-end tests.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

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

// The program's visible message boxes (class "#32770") now, found without sending the
// program a message, so that a busy program does not slow the looking.
std::vector<HWND> visibleMessageBoxes(DWORD processId);

// Counts the program's message boxes (class "#32770") that become visible, from its start
// until stop(): a thread of its own looks at the program's top-level windows every
// millisecond, so that even a box that shows for a moment is seen. It has looked once when
// the constructor returns; a busy machine may keep it from looking for a while, so wait
// for appeared() to count a box before answering it.
class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(const LaunchedProgram& program);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
  // The number of times a box became visible so far.
  int appeared() const { return appeared_; }
  // Stops looking; the number of times a box became visible.
  int stop();

 private:
  std::atomic<bool> stopping_{false}, lookedOnce_{false};
  std::atomic<int> appeared_{0};
  std::thread looking_;
};

// The program's confirmation dialog (a "TMessageForm" window), once it shows; null if none.
HWND waitForConfirmation(const LaunchedProgram& program, int timeoutMs);
// Answers the confirmation with the button of that caption ("OK" or "Cancel") and waits
// until the dialog is gone; false when no dialog came.
bool answerConfirmation(const LaunchedProgram& program, std::wstring_view button, int timeoutMs);

}  // namespace pumpcalc::e2e
