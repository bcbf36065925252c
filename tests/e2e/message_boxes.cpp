#include "tests/e2e/message_boxes.h"

namespace pumpcalc::e2e {

std::string narrow(const std::wstring& text) {
  const int length = static_cast<int>(text.size());
  std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length,
                                                               nullptr, 0, nullptr, nullptr)),
                  '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, out.data(), static_cast<int>(out.size()),
                      nullptr, nullptr);
  return out;
}

MessageBoxSeen waitForMessageBox(const LaunchedProgram& program, int timeoutMs) {
  MessageBoxSeen box;
  box.handle = waitForTopLevelWindow(
      program.processId(),
      [](const WindowInfo& window) { return window.visible && window.className == L"#32770"; },
      timeoutMs);
  if (box.handle != nullptr) {
    box.caption = narrow(windowText(box.handle));
    // The text of a message box is its static control 0xFFFF.
    box.text = narrow(windowText(dialogItem(box.handle, 0xFFFF)));
  }
  return box;
}

void pressOk(const MessageBoxSeen& box, int timeoutMs) {
  clickButton(dialogItem(box.handle, IDOK));
  waitUntil([&] { return !isWindow(box.handle); }, timeoutMs);
}

HWND waitForConfirmation(const LaunchedProgram& program, int timeoutMs) {
  return waitForTopLevelWindow(
      program.processId(),
      [](const WindowInfo& window) {
        return window.visible && window.className == L"TMessageForm";
      },
      timeoutMs);
}

bool answerConfirmation(const LaunchedProgram& program, std::wstring_view button, int timeoutMs) {
  HWND dialog = waitForConfirmation(program, timeoutMs);
  if (dialog == nullptr) return false;
  clickButton(findChild(dialog, L"Button", button));
  return waitUntil([&] { return !isVisible(dialog); }, timeoutMs);
}

}  // namespace pumpcalc::e2e
