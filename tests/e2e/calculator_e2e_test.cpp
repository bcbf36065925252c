// The calculator as a user uses it: typing into the boxes, pressing the buttons, reading
// the results and the error boxes, closing after the confirmation.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

#include "tests/e2e/driver.h"
#include "tests/e2e/long_inputs.h"
#include "tests/e2e/message_boxes.h"

namespace pumpcalc::e2e {
namespace {

constexpr int timeout = 15000;
constexpr int slowTimeout = 120000;

// The running calculator and its controls, found as a user finds them.
class Calculator {
 public:
  Calculator() : program_(launch(programBesideThisOne(L"pumpcalc.exe"), kNoShowCommand)) {
    window_ = waitForTopLevelWindow(program_.processId(), withClass(L"TForm1"), timeout);
    waitUntil([&] { return window_ != nullptr && isVisible(window_); }, timeout);
    std::size_t edits = 0;
    for (const WindowInfo& child : childWindows(window_)) {
      if (child.className == L"Edit" || child.className == L"EDIT") {
        if (edits < boxes_.size()) boxes_[edits++] = child.handle;
      }
    }
    ok_ = findChild(window_, L"Button", L"OK");
    clear_ = findChild(window_, L"Button", L"计算另外泵的功率");
    exit_ = findChild(window_, L"Button", L"退出");
  }

  LaunchedProgram& program() { return program_; }
  HWND window() const { return window_; }
  HWND box(int number) const { return boxes_[static_cast<std::size_t>(number - 1)]; }
  std::string text(int number) const { return narrow(windowText(box(number))); }
  void type(int number, const std::wstring& text) const { setText(box(number), text); }
  void enter(const wchar_t* flow, const wchar_t* head, const wchar_t* efficiency) const {
    type(1, flow);
    type(2, head);
    type(3, efficiency);
  }
  std::array<std::string, 3> results() const { return {text(4), text(5), text(6)}; }

  // Presses a button and waits until the program has handled the click (for a click that
  // opens no box: one that does is posted with clickButton).
  void press(HWND button) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, timeout, &result);
  }
  void waitForInputIdle() { program_.waitForInputIdle(timeout); }
  HWND okButton() const { return ok_; }
  HWND clearButton() const { return clear_; }
  HWND exitButton() const { return exit_; }

 private:
  LaunchedProgram program_;
  HWND window_ = nullptr;
  std::array<HWND, 6> boxes_{};
  HWND ok_ = nullptr, clear_ = nullptr, exit_ = nullptr;
};

TEST(Calculator, TheWorkedExamplesGiveExactlyTheirTexts) {
  Calculator calculator;
  ASSERT_NE(calculator.okButton(), nullptr);
  ASSERT_NE(calculator.box(6), nullptr);
  struct Case {
    const wchar_t *flow, *head, *efficiency;
    std::array<std::string, 3> expected;
  };
  const Case cases[] = {
      {L"100", L"50", L"80", {"17.020697167756", "18.7227668845316", "20.4248366013072"}},
      {L"360", L"32", L"75", {"41.8300653594771", "46.0130718954248", "50.1960784313726"}},
      {L"50", L"20", L"70", {"3.89044506691565", "4.27948957360722", "4.66853408029879"}},
      {L"1", L"1", L"100", {"0.00272331154684096", "0.00299564270152505", "0.00326797385620915"}},
  };
  for (const Case& c : cases) {
    calculator.enter(c.flow, c.head, c.efficiency);
    calculator.press(calculator.okButton());
    EXPECT_EQ(calculator.results(), c.expected);
  }
}

TEST(Calculator, ErrorsAreShownAndNoResultBoxChanges) {
  Calculator calculator;
  struct Case {
    const wchar_t *flow, *head, *efficiency;
    std::string message;
  };
  const Case cases[] = {
      {L"", L"", L"", "'' is not a valid floating point value."},
      {L"100", L"50", L"0", "Floating point division by zero."},
      {L"0", L"50", L"0", "Invalid floating point operation."},
      {L"1e200", L"1e200", L"abc", "Floating point overflow."},
      {L"abc", L"50", L"80", "'abc' is not a valid floating point value."},
  };
  calculator.type(4, L"keep 4");
  calculator.type(5, L"keep 5");
  calculator.type(6, L"keep 6");
  for (const Case& c : cases) {
    calculator.enter(c.flow, c.head, c.efficiency);
    clickButton(calculator.okButton());
    const MessageBoxSeen box = waitForMessageBox(calculator.program(), timeout);
    ASSERT_NE(box.handle, nullptr) << c.message;
    EXPECT_EQ(box.caption, "pumpcalc");
    EXPECT_EQ(box.text, c.message);
    pressOk(box, timeout);
    EXPECT_EQ(calculator.results(), (std::array<std::string, 3>{"keep 4", "keep 5", "keep 6"}));
  }
  // The user corrects the box and presses OK again.
  calculator.enter(L"100", L"50", L"80");
  calculator.press(calculator.okButton());
  EXPECT_EQ(calculator.text(4), "17.020697167756");
}

// The text that the user pasted comes back in the error box, whole where it fits and else
// cut in its middle; either way the box lies on the screen, its OK button answers a click,
// and no other box shows on the way. The boxes get their texts in one go (WM_SETTEXT): typing
// 100,000 characters into an edit box under Wine would take minutes.
TEST(Calculator, AnErrorBoxFitsOnTheScreenHoweverLongTheTextThatCausedIt) {
  Calculator calculator;
  const RECT screen = workArea();
  const std::string suffix = "' is not a valid floating point value.";
  for (std::size_t length : {80u, 3000u, 100000u}) {
    for (const LongInputKind& shape : longInputKinds) {
      SCOPED_TRACE(std::string(shape.name) + ", " + std::to_string(length));
      const std::string input = narrow(shape.make(length));
      // Wine's edit box takes seconds over 100,000 digits or emoji.
      setText(calculator.box(1), shape.make(length), slowTimeout);
      setText(calculator.box(2), L"50", slowTimeout);
      setText(calculator.box(3), L"80", slowTimeout);
      MessageBoxWatcher watcher(calculator.program());
      clickButton(calculator.okButton());
      const MessageBoxSeen box = waitForMessageBox(calculator.program(), slowTimeout);
      ASSERT_NE(box.handle, nullptr);
      EXPECT_TRUE(contains(screen, windowRect(box.handle)));
      HWND ok = dialogItem(box.handle, IDOK);
      EXPECT_TRUE(contains(screen, windowRect(ok)));
      const std::string whole = "'" + input + suffix;
      if (box.text != whole) {
        // Cut in the middle of the input: its first and last characters stay, and so does
        // the rest of the message.
        const std::string_view shown = box.text, typed = input;
        const std::size_t ends = narrow(shape.make(length).substr(0, 20)).size();
        EXPECT_TRUE(shown.starts_with("'") && shown.substr(1).starts_with(typed.substr(0, ends)))
            << box.text.substr(0, 80);
        EXPECT_TRUE(shown.ends_with(std::string(typed.substr(typed.size() - ends)) + suffix));
        EXPECT_NE(box.text.find("…"), std::string::npos);
        EXPECT_LT(box.text.size(), whole.size());
      }
      if (length == 80 && shape.fitsAt80) {
        EXPECT_EQ(box.text, whole);
      }
      ASSERT_TRUE(waitUntil([&] { return watcher.appeared() > 0; }, timeout));
      ASSERT_TRUE(bringToFront(box.handle));
      clickAt(centreOf(windowRect(ok)));
      ASSERT_TRUE(waitUntil([&] { return !isWindow(box.handle); }, timeout));
      // Only the box answered ever showed: the text was chosen without showing others.
      EXPECT_EQ(watcher.stop(), 1);
      ASSERT_TRUE(waitUntil([&] { return isEnabled(calculator.window()); }, timeout));
    }
  }
  calculator.enter(L"100", L"50", L"80");
  calculator.press(calculator.okButton());
  EXPECT_EQ(calculator.text(4), "17.020697167756");
}

TEST(Calculator, TheClearButtonEmptiesTheInputsAndTheShaftPowerOnly) {
  Calculator calculator;
  calculator.enter(L"100", L"50", L"80");
  calculator.press(calculator.okButton());
  calculator.press(calculator.clearButton());
  for (int box : {1, 2, 3, 4}) EXPECT_EQ(calculator.text(box), "") << box;
  EXPECT_EQ(calculator.text(5), "18.7227668845316");
  EXPECT_EQ(calculator.text(6), "20.4248366013072");
  // Text typed into a result box stays until the next successful calculation.
  calculator.type(5, L"mine");
  calculator.press(calculator.clearButton());
  EXPECT_EQ(calculator.text(5), "mine");
}

TEST(Calculator, TypingWithTheKeyboardAndTabbingThroughTheBoxes) {
  Calculator calculator;
  ASSERT_TRUE(bringToFront(calculator.window()));
  calculator.waitForInputIdle();
  // The flow box has the focus when the window opens; Tab moves on in tab order. Real key
  // strokes reach the program through the display a little later: wait for the last one.
  ASSERT_TRUE(waitForFocus(calculator.box(1), timeout)) << "the flow box never had the focus";
  typeText(L"100");
  pressKey(VK_TAB);
  ASSERT_TRUE(waitForFocus(calculator.box(2), timeout)) << "Tab did not reach the head box";
  typeText(L"50");
  pressKey(VK_TAB);
  ASSERT_TRUE(waitForFocus(calculator.box(3), timeout)) << "Tab did not reach the efficiency box";
  typeText(L"80");
  waitUntil([&] { return calculator.text(3) == "80"; }, timeout);
  EXPECT_EQ(calculator.text(1), "100");
  EXPECT_EQ(calculator.text(2), "50");
  EXPECT_EQ(calculator.text(3), "80");
  calculator.press(calculator.okButton());
  EXPECT_EQ(calculator.text(4), "17.020697167756");
}

TEST(Calculator, KeysDoWhatTheControlsSayAndNothingMore) {
  Calculator calculator;
  ASSERT_TRUE(bringToFront(calculator.window()));
  calculator.waitForInputIdle();
  calculator.enter(L"100", L"50", L"80");
  ASSERT_TRUE(waitForFocus(calculator.box(1), timeout)) << "the flow box never had the focus";
  // No button is the default or the cancel button and nothing has a help topic: Enter,
  // Esc and F1 in the flow box do nothing. The keys after them show that all were handled.
  for (WORD key : {VK_RETURN, VK_ESCAPE, VK_F1}) pressKey(key);
  pressKey(VK_END);
  typeText(L"5");
  ASSERT_TRUE(waitUntil([&] { return calculator.text(1) == "1005"; }, timeout));
  EXPECT_EQ(waitForMessageBox(calculator.program(), 300).handle, nullptr);
  EXPECT_EQ(waitForConfirmation(calculator.program(), 300), nullptr);
  EXPECT_EQ(calculator.results(), (std::array<std::string, 3>{"", "", ""}));

  // Tab and Shift+Tab select the whole text of the box they reach: typing replaces it
  // (else the boxes would read "5050" and "1005100").
  pressKey(VK_TAB);
  ASSERT_TRUE(waitForFocus(calculator.box(2), timeout)) << "Tab did not reach the head box";
  typeText(L"50");
  pressKey(VK_TAB, kShift);
  ASSERT_TRUE(waitForFocus(calculator.box(1), timeout)) << "Shift+Tab did not reach the flow box";
  typeText(L"100");
  ASSERT_TRUE(waitUntil([&] { return calculator.text(1) == "100"; }, timeout))
      << calculator.text(1);
  EXPECT_EQ(calculator.text(2), "50");

  // A click puts the caret where it lands and selects nothing: behind the text, typing
  // adds to it.
  const RECT box = describeWindow(calculator.box(3)).rect;
  clickAt({box.right - 4, (box.top + box.bottom) / 2});
  ASSERT_TRUE(waitForFocus(calculator.box(3), timeout)) << "the click did not focus its box";
  typeText(L"0");
  ASSERT_TRUE(waitUntil([&] { return calculator.text(3) == "800"; }, timeout))
      << calculator.text(3);
  pressKey(VK_BACK);
  ASSERT_TRUE(waitUntil([&] { return calculator.text(3) == "80"; }, timeout));

  // On through Edit4 to "OK", which Space presses.
  pressKey(VK_TAB);
  pressKey(VK_TAB);
  pressKey(VK_SPACE);
  ASSERT_TRUE(waitUntil([&] { return calculator.text(4) == "17.020697167756"; }, timeout))
      << calculator.text(4);
}

TEST(Calculator, ClosingAsksFirstAndRefusingKeepsEverything) {
  Calculator calculator;
  calculator.enter(L"100", L"50", L"80");
  calculator.press(calculator.okButton());
  const auto texts = [&] {
    std::array<std::string, 6> all;
    for (int box = 1; box <= 6; ++box)
      all[static_cast<std::size_t>(box - 1)] = calculator.text(box);
    return all;
  };
  const auto before = texts();

  // The question, as the user reads it.
  clickButton(calculator.exitButton());
  HWND dialog = waitForConfirmation(calculator.program(), timeout);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(narrow(windowText(dialog)), "Confirm");
  EXPECT_NE(findChild(dialog, L"Button", L"OK"), nullptr);
  EXPECT_NE(findChild(dialog, L"Button", L"Cancel"), nullptr);
  EXPECT_FALSE(isEnabled(calculator.window()));
  ASSERT_TRUE(answerConfirmation(calculator.program(), L"Cancel", timeout));

  // Every way of closing asks the same question; Cancel, Esc and the dialog's close box
  // all keep the window as it was.
  const std::function<void()> closeWays[] = {
      [&] { sysCommand(calculator.window(), SC_CLOSE); },
      [&] { postClose(calculator.window()); },
      [&] {
        ASSERT_TRUE(bringToFront(calculator.window()));
        ASSERT_TRUE(waitForFocus(calculator.window(), timeout)) << "the window never had the focus";
        pressKey(VK_F4, kAlt);
      },
  };
  const std::function<void(HWND)> refusals[] = {
      [&](HWND d) { clickButton(findChild(d, L"Button", L"Cancel")); },
      [&](HWND d) {
        ASSERT_TRUE(bringToFront(d));
        ASSERT_TRUE(waitForFocus(d, timeout)) << "the confirmation never had the focus";
        pressKey(VK_ESCAPE);
      },
      [&](HWND d) { postClose(d); },
  };
  for (const auto& close : closeWays) {
    for (const auto& refuse : refusals) {
      close();
      HWND asked = waitForConfirmation(calculator.program(), timeout);
      ASSERT_NE(asked, nullptr);
      refuse(asked);
      ASSERT_TRUE(
          waitUntil([&] { return !isVisible(asked) && isEnabled(calculator.window()); }, timeout));
      EXPECT_TRUE(calculator.program().isRunning());
      EXPECT_EQ(texts(), before);
    }
  }

  // The taskbar button's Close, then OK: the program ends with 0.
  HWND app =
      waitForTopLevelWindow(calculator.program().processId(), withClass(L"TApplication"), timeout);
  sysCommand(app, SC_CLOSE);
  ASSERT_TRUE(answerConfirmation(calculator.program(), L"OK", timeout));
  const auto code = calculator.program().waitForExit(timeout);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0u);
}

}  // namespace
}  // namespace pumpcalc::e2e
