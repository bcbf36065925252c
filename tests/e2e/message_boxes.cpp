#include "tests/e2e/message_boxes.h"

#include <algorithm>
#include <chrono>
#include <vector>

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

namespace {

struct VisibleBoxes {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK collectVisibleBox(HWND window, LPARAM boxes) {
  auto& visible = *reinterpret_cast<VisibleBoxes*>(boxes);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  wchar_t name[8] = {};
  if (processId == visible.processId && IsWindowVisible(window) &&
      GetClassNameW(window, name, 8) > 0 && std::wstring_view(name) == L"#32770") {
    visible.found.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> visibleMessageBoxes(DWORD processId) {
  VisibleBoxes visible{processId, {}};
  EnumWindows(collectVisibleBox, reinterpret_cast<LPARAM>(&visible));
  return std::move(visible.found);
}

MessageBoxWatcher::MessageBoxWatcher(const LaunchedProgram& program)
    : looking_([this, processId = program.processId()] {
        std::vector<HWND> before;
        while (!stopping_) {
          std::vector<HWND> now = visibleMessageBoxes(processId);
          for (HWND box : now) {
            if (std::find(before.begin(), before.end(), box) == before.end()) ++appeared_;
          }
          before = std::move(now);
          lookedOnce_ = true;
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
      }) {
  while (!lookedOnce_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

MessageBoxWatcher::~MessageBoxWatcher() { stop(); }

int MessageBoxWatcher::stop() {
  stopping_ = true;
  if (looking_.joinable()) looking_.join();
  return appeared_;
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
