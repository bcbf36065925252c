// The program's private window messages, numbered from WM_APP, one meaning each.
#pragma once

#include "platform/win32/win32.h"

namespace pumpcalc {

enum PrivateMessage : UINT {
  // Posted to a window whose close action is caFree: destroys it when the loop gets to it.
  releaseMessage = WM_APP + 1,
  // Posted to the application window when it receives the focus: the focus moves on to the
  // program's top window once the queued messages have been handled.
  handFocusMessage,
  // The first number that no window of the program uses: a test's window numbers messages
  // of its own from here.
  firstUnusedMessage,
};

}  // namespace pumpcalc
