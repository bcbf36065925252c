// How soon the error box of a long wrong input shows, beside the box of a short one ("77x"),
// in one running pumpcalc.exe: from the click on "OK" until the box is visible. For each
// long input the two take turns, RUNS times each; the program prints the medians, their
// ratio, whether the long input's box stays within 1.5 times the short one's, and how many
// boxes became visible per error (1: only the one answered). Last, the floor: the same two
// texts in a plain MessageBoxW of this program, from the call until the box is visible, in
// turns: what the system alone takes for the longer text (ratio of the medians).
//   error_box_bench [RUNS] [LENGTH]   (pumpcalc.exe is looked for beside this program)
// The long input goes into the efficiency box, with 100 as the flow; the short one into the
// head box, which is "50" when the long one is to fail: the long text is set once per input,
// since Wine's edit box takes seconds to take 100,000 characters.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/e2e/long_inputs.h"
#include "tests/e2e/message_boxes.h"

namespace pumpcalc::e2e {
namespace {

constexpr int timeout = 120000;

double now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Milliseconds from MessageBoxW until its box is visible, in this program.
double plainBoxMs(const std::wstring& text) {
  const double start = now();
  std::thread showing(
      [&] { MessageBoxW(nullptr, text.c_str(), L"pumpcalc", MB_OK | MB_ICONERROR); });
  std::vector<HWND> boxes;
  while (boxes.empty() && now() < start + timeout) {
    boxes = visibleMessageBoxes(GetCurrentProcessId());
    if (boxes.empty()) Sleep(1);
  }
  const double shown = now();
  if (!boxes.empty()) PostMessageW(boxes.front(), WM_COMMAND, IDOK, 0);
  showing.join();
  if (boxes.empty()) throw std::runtime_error("no plain box");
  return shown - start;
}

class Calculator {
 public:
  Calculator() : program_(launch(programBesideThisOne(L"pumpcalc.exe"), kNoShowCommand)) {
    window_ = waitForTopLevelWindow(program_.processId(), withClass(L"TForm1"), timeout);
    if (window_ == nullptr) throw std::runtime_error("pumpcalc.exe shows no window");
    program_.waitForInputIdle(timeout);
    for (const WindowInfo& child : childWindows(window_)) {
      if ((child.className == L"Edit" || child.className == L"EDIT") && edits_.size() < 3) {
        edits_.push_back(child.handle);
      }
    }
    ok_ = findChild(window_, L"Button", L"OK");
    setText(edits_[0], L"100", timeout);
  }

  void setHead(std::wstring_view text) { setText(edits_[1], text, timeout); }
  void setEfficiency(std::wstring_view text) { setText(edits_[2], text, timeout); }

  // Milliseconds from the click to the visible box, and how many boxes showed until it was
  // answered.
  struct Error {
    double ms;
    int boxes;
    std::wstring text;
  };
  Error click() {
    MessageBoxWatcher watcher(program_);
    const double start = now();
    clickButton(ok_);
    const MessageBoxSeen box = waitForVisibleBox();
    const double shown = now();
    const std::wstring text = windowText(dialogItem(box.handle, 0xFFFF));
    // The watcher, too, has seen it before it goes.
    waitUntil([&] { return watcher.appeared() > 0; }, timeout);
    pressOk(box, timeout);
    const int boxes = watcher.stop();
    waitUntil([&] { return isEnabled(window_); }, timeout);
    // The program is idle again before the next click.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, timeout, &result);
    return {shown - start, boxes, text};
  }

 private:
  // Looks every millisecond: waitForMessageBox looks every 20.
  MessageBoxSeen waitForVisibleBox() {
    const double end = now() + timeout;
    while (now() < end) {
      const std::vector<HWND> boxes = visibleMessageBoxes(program_.processId());
      if (!boxes.empty()) return {boxes.front(), {}, {}};
      Sleep(1);
    }
    throw std::runtime_error("no error box");
  }

  LaunchedProgram program_;
  HWND window_ = nullptr;
  std::vector<HWND> edits_;
  HWND ok_ = nullptr;
};

int run(int runs, std::size_t onlyLength) {
  Calculator calculator;
  // Once first, so that what the program learns once (the box's layout) is not counted in
  // the turns.
  calculator.setHead(L"77x");
  const Calculator::Error first = calculator.click();
  std::printf("first error of the program (the box's layout learnt): %.1f ms, %d box\n", first.ms,
              first.boxes);
  std::printf("%-26s %7s %9s %9s %6s %6s %6s\n", "input", "chars", "short ms", "long ms", "ratio",
              "boxes", "floor");
  bool allMet = true;
  for (std::size_t length : {80u, 500u, 3000u, 20000u, 100000u}) {
    if (onlyLength != 0 && length != onlyLength) continue;
    for (const LongInputKind& shape : longInputKinds) {
      calculator.setEfficiency(shape.make(length));
      std::vector<double> shortTimes, longTimes, plainShortTimes, plainLongTimes;
      int mostBoxes = 0;
      std::wstring shortText, longText;
      for (int i = 0; i < runs; ++i) {
        calculator.setHead(L"77x");
        const Calculator::Error shortError = calculator.click();
        calculator.setHead(L"50");
        const Calculator::Error longError = calculator.click();
        shortTimes.push_back(shortError.ms);
        longTimes.push_back(longError.ms);
        mostBoxes = std::max({mostBoxes, shortError.boxes, longError.boxes});
        shortText = shortError.text;
        longText = longError.text;
      }
      for (int i = 0; i < runs; ++i) {
        plainShortTimes.push_back(plainBoxMs(shortText));
        plainLongTimes.push_back(plainBoxMs(longText));
      }
      const double shortMedian = median(shortTimes), longMedian = median(longTimes);
      const double ratio = longMedian / shortMedian;
      const double floor = median(plainLongTimes) / median(plainShortTimes);
      allMet = allMet && ratio <= 1.5 && mostBoxes == 1;
      std::printf("%-26s %7zu %9.1f %9.1f %6.2f %6d %6.2f\n", shape.name, length, shortMedian,
                  longMedian, ratio, mostBoxes, floor);
      std::fflush(stdout);
    }
  }
  std::printf("runs: %d each, in turn; target: ratio <= 1.5 and one box: %s\n", runs,
              allMet ? "met" : "MISSED");
  return 0;
}

}  // namespace
}  // namespace pumpcalc::e2e

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
  const std::size_t onlyLength = argc > 2 ? static_cast<std::size_t>(std::atoll(argv[2])) : 0;
  try {
    return pumpcalc::e2e::run(runs, onlyLength);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "error_box_bench: %s\n", error.what());
    return 1;
  }
}
