// The driver tried on the sample program (sample_app.cpp): a window "Sample" with an edit
// box, buttons "Go" (edit text to caption), "Ask" (a message box) and "Sleep" (3 s without
// answering); closing it ends the program with exit code 7.
#include "tests/e2e/driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <stdexcept>

namespace pumpcalc::e2e {
namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kSampleExitCode = 7;
// Deadlines for what must happen: generous, since a loaded machine is slow, and spent only
// when a test fails.
constexpr int kFindTimeoutMs = 15000;
constexpr int kActTimeoutMs = 15000;

long long millisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class SampleProgram : public testing::Test {
 protected:
  static void SetUpTestSuite() { keepWindowsFromWindowManager(L"e2e_sample_app.exe"); }

  // Starts the sample program and finds its window and controls.
  void start(int showCommand = SW_SHOWNORMAL, std::wstring_view arguments = {}) {
    program_.emplace(
        launch(programBesideThisOne(L"e2e_sample_app.exe"), showCommand, {}, arguments));
    window_ = waitForTopLevelWindow(
        program_->processId(), withClassAndCaption(L"SampleWindow", L"Sample"), kFindTimeoutMs);
    ASSERT_NE(window_, nullptr);
    // Idle once it has shown and activated its window: nothing of its start-up can take the
    // foreground from a window that the test brings to the front later.
    ASSERT_TRUE(program_->waitForInputIdle(kFindTimeoutMs));
    edit_ = findChild(window_, L"Edit", L"");
    go_ = findChild(window_, L"Button", L"Go");
    ASSERT_NE(edit_, nullptr);
    ASSERT_NE(go_, nullptr);
  }

  // Brings the window to the front and waits until its edit box has the keyboard focus.
  void focusEdit() {
    ASSERT_TRUE(bringToFront(window_));
    ASSERT_TRUE(
        waitUntil([&] { return focusedWindowOf(threadOf(window_)) == edit_; }, kActTimeoutMs));
  }

  bool captionBecomes(std::wstring_view caption) {
    return waitUntil([&] { return windowText(window_) == caption; }, kActTimeoutMs);
  }
  bool editTextBecomes(std::wstring_view text) {
    return waitUntil([&] { return windowText(edit_) == text; }, kActTimeoutMs);
  }
  void expectExitCode(DWORD expected) {
    EXPECT_EQ(program_->waitForExit(kFindTimeoutMs), std::optional<DWORD>(expected));
  }

  std::optional<LaunchedProgram> program_;
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
  HWND go_ = nullptr;
};

// --- Starting and ending ----------------------------------------------------------------

TEST(Launch, FailsForAMissingProgramOrFolder) {
  EXPECT_THROW(launch(L"C:\\no\\such\\program.exe", SW_SHOWNORMAL), std::runtime_error);
  EXPECT_THROW(
      launch(programBesideThisOne(L"e2e_sample_app.exe"), SW_SHOWNORMAL, L"C:\\no\\such\\folder"),
      std::runtime_error);
}

TEST_F(SampleProgram, ClosingTheWindowEndsTheProgramWithItsExitCode) {
  ASSERT_NO_FATAL_FAILURE(start());
  EXPECT_TRUE(program_->isRunning());
  EXPECT_EQ(program_->waitForExit(0), std::nullopt);
  const Clock::time_point closed = Clock::now();
  postClose(window_);
  expectExitCode(kSampleExitCode);
  EXPECT_FALSE(isWindow(window_));
  // Under Wine, kept from the (absent) window manager, the window goes without its 2 s wait.
  if (runningUnderWine()) {
    EXPECT_LT(millisecondsSince(closed), 1500);
  }
}

TEST_F(SampleProgram, AProgramStillRunningIsEndedWithItsOwner) {
  ASSERT_NO_FATAL_FAILURE(start());
  const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, program_->processId()));
  ASSERT_TRUE(process);
  program_.reset();
  EXPECT_EQ(WaitForSingleObject(process.get(), 0), WAIT_OBJECT_0);
}

TEST_F(SampleProgram, ArgumentsAndWorkingFolderReachTheProgram) {
  ASSERT_NO_FATAL_FAILURE(start(SW_SHOWNORMAL, L"two words 泵"));
  EXPECT_EQ(windowText(edit_), L"two words 泵");
  LaunchedProgram inWindowsFolder =
      launch(programBesideThisOne(L"e2e_sample_app.exe"), SW_SHOWNORMAL, L"C:\\windows");
  EXPECT_NE(waitForTopLevelWindow(inWindowsFolder.processId(), withClass(L"SampleWindow"),
                                  kFindTimeoutMs),
            nullptr);
}

TEST_F(SampleProgram, TheWindowIsShownWithTheShowCommandGiven) {
  struct Case {
    int showCommand;
    bool visible, zoomed, iconic;
  };
  const Case cases[] = {
      {kNoShowCommand, true, false, false},  {SW_SHOWNORMAL, true, false, false},
      {SW_SHOWMAXIMIZED, true, true, false}, {SW_SHOWMINNOACTIVE, true, false, true},
      {SW_HIDE, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.showCommand);
    ASSERT_NO_FATAL_FAILURE(start(c.showCommand));
    EXPECT_EQ(isVisible(window_), c.visible);
    EXPECT_EQ(isZoomed(window_), c.zoomed);
    EXPECT_EQ(isIconic(window_), c.iconic);
    postClose(window_);
    expectExitCode(kSampleExitCode);
  }
}

// --- Finding and reading ----------------------------------------------------------------

TEST_F(SampleProgram, ASnapshotDescribesTheWindow) {
  ASSERT_NO_FATAL_FAILURE(start());
  const std::vector<WindowInfo> windows = topLevelWindows(program_->processId());
  ASSERT_FALSE(windows.empty());
  for (const WindowInfo& info : windows) EXPECT_EQ(info.processId, program_->processId());
  const WindowInfo info = describeWindow(window_);
  EXPECT_EQ(info.className, L"SampleWindow");
  EXPECT_EQ(info.caption, L"Sample");
  EXPECT_TRUE(info.visible);
  EXPECT_TRUE(info.enabled);
  EXPECT_EQ(info.owner, nullptr);
  EXPECT_EQ(info.style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_EQ(info.threadId, program_->mainThreadId());
  // The sample program creates its window at 200,150, 320×200.
  EXPECT_EQ(info.rect.left, 200);
  EXPECT_EQ(info.rect.top, 150);
  EXPECT_EQ(info.rect.right - info.rect.left, 320);
  EXPECT_EQ(info.rect.bottom - info.rect.top, 200);
}

TEST_F(SampleProgram, ChildrenComeInCreationOrderAndAreFoundByClassAndText) {
  ASSERT_NO_FATAL_FAILURE(start());
  const std::vector<WindowInfo> children = childWindows(window_);
  const std::pair<const wchar_t*, const wchar_t*> expected[] = {
      {L"Edit", L""}, {L"Button", L"Go"}, {L"Button", L"Ask"}, {L"Button", L"Sleep"}};
  ASSERT_EQ(children.size(), std::size(expected));
  for (std::size_t i = 0; i < children.size(); ++i) {
    EXPECT_EQ(children[i].className, expected[i].first) << i;
    EXPECT_EQ(children[i].caption, expected[i].second) << i;
  }
  EXPECT_EQ(findChild(window_, L"BUTTON", L"Ask"), children[2].handle);  // any case of class
  EXPECT_EQ(findChild(window_, L"", L"Sleep"), children[3].handle);
  EXPECT_EQ(findChild(window_, L"Button", L""), go_);
  EXPECT_EQ(findChild(window_, L"Button", L"go"), nullptr);  // captions compare exactly
  EXPECT_EQ(findChild(window_, L"Static", L""), nullptr);
  EXPECT_EQ(dialogItem(window_, 102), go_);
}

TEST_F(SampleProgram, RectanglesAreInScreenCoordinates) {
  ASSERT_NO_FATAL_FAILURE(start());
  const RECT client = clientRectOnScreen(window_);
  const RECT outer = windowRect(window_);
  EXPECT_GE(client.left, outer.left);
  EXPECT_GT(client.top, outer.top);  // below the caption
  EXPECT_LE(client.right, outer.right);
  EXPECT_LE(client.bottom, outer.bottom);
  // The sample program puts its edit box at 10,10 in the client area, 200×24.
  const RECT edit = windowRect(edit_);
  EXPECT_EQ(edit.left - client.left, 10);
  EXPECT_EQ(edit.top - client.top, 10);
  EXPECT_EQ(edit.right - edit.left, 200);
  EXPECT_EQ(centreOf(edit).x, edit.left + 100);
  EXPECT_EQ(centreOf(edit).y, edit.top + 12);
}

TEST_F(SampleProgram, NoWindowInTimeGivesNull) {
  ASSERT_NO_FATAL_FAILURE(start());
  const Clock::time_point started = Clock::now();
  EXPECT_EQ(waitForTopLevelWindow(program_->processId(), withClass(L"NoSuchClass"), 200), nullptr);
  EXPECT_GE(millisecondsSince(started), 200);
}

TEST_F(SampleProgram, ReadingAGoneOrHungWindowFailsInsteadOfHanging) {
  ASSERT_NO_FATAL_FAILURE(start());
  clickButton(findChild(window_, L"Button", L"Sleep"));
  // The program has taken the click and sleeps once it no longer answers at once.
  ASSERT_TRUE(waitUntil(
      [&] {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 50, &result) == 0;
      },
      kActTimeoutMs))
      << "the program never took the click";
  const Clock::time_point started = Clock::now();
  EXPECT_THROW(windowText(window_), std::runtime_error);
  EXPECT_LT(millisecondsSince(started), 2800);
  program_->terminate();
  EXPECT_FALSE(isWindow(window_));
  EXPECT_THROW(windowText(window_), std::runtime_error);
}

// --- Acting through messages ------------------------------------------------------------

TEST_F(SampleProgram, SetTextAndClickButtonActOnTheControls) {
  ASSERT_NO_FATAL_FAILURE(start());
  setText(edit_, L"流量 100");
  EXPECT_EQ(windowText(edit_), L"流量 100");
  clickButton(go_);
  EXPECT_TRUE(captionBecomes(L"流量 100"));
}

TEST_F(SampleProgram, PostedKeysAndCharactersReachAWindowNotInFront) {
  ASSERT_NO_FATAL_FAILURE(start(SW_SHOWMINNOACTIVE));
  postChars(edit_, L"bc");
  postKey(edit_, VK_HOME);
  postChars(edit_, L"a");
  EXPECT_TRUE(editTextBecomes(L"abc"));
}

TEST_F(SampleProgram, SystemCommandsMinimizeRestoreAndClose) {
  ASSERT_NO_FATAL_FAILURE(start());
  sysCommand(window_, SC_MINIMIZE);
  EXPECT_TRUE(waitUntil([&] { return isIconic(window_); }, kActTimeoutMs));
  sysCommand(window_, SC_RESTORE);
  EXPECT_TRUE(waitUntil([&] { return !isIconic(window_) && isVisible(window_); }, kActTimeoutMs));
  sysCommand(window_, SC_CLOSE);
  expectExitCode(kSampleExitCode);
}

TEST_F(SampleProgram, AMessageBoxOpenedByAClickIsFoundAndAnswered) {
  ASSERT_NO_FATAL_FAILURE(start());
  const HWND ask = findChild(window_, L"Button", L"Ask");
  // Answered once by its Cancel button, once by the Enter key on its default button OK.
  for (const bool byKeyboard : {false, true}) {
    SCOPED_TRACE(byKeyboard);
    clickButton(ask);  // returns at once, though the box is modal
    const HWND box =
        waitForTopLevelWindow(program_->processId(), withClass(L"#32770"), kFindTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(describeWindow(box).owner, window_);
    EXPECT_FALSE(isEnabled(window_));
    EXPECT_NE(findChild(box, L"Static", L"Proceed?"), nullptr);
    if (byKeyboard) {
      ASSERT_TRUE(bringToFront(box));
      ASSERT_TRUE(waitForFocus(box, kActTimeoutMs)) << "the box never had the focus";
      pressKey(VK_RETURN);
      EXPECT_TRUE(captionBecomes(L"OK"));
    } else {
      clickButton(dialogItem(box, IDCANCEL));
      EXPECT_TRUE(captionBecomes(L"Cancel"));
    }
    EXPECT_FALSE(isWindow(box));
    EXPECT_TRUE(isEnabled(window_));
  }
}

// --- Acting through the keyboard and the mouse ------------------------------------------

TEST_F(SampleProgram, TypedTextReachesTheFocusedEditBox) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_NO_FATAL_FAILURE(focusEdit());
  typeText(L"Héllo 泵 𝄞");  // a surrogate pair too
  EXPECT_TRUE(editTextBecomes(L"Héllo 泵 𝄞"));
}

TEST_F(SampleProgram, KeysArePressedWithTheirModifiers) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_NO_FATAL_FAILURE(focusEdit());
  typeText(L"abc");
  ASSERT_TRUE(editTextBecomes(L"abc"));
  pressKey(VK_BACK);
  EXPECT_TRUE(editTextBecomes(L"ab"));
  // Shift+Home selects to the start, so that typing replaces it; without Shift it would
  // only move there.
  pressKey(VK_HOME, kShift);
  typeText(L"xy");
  EXPECT_TRUE(editTextBecomes(L"xy"));
  pressKey(VK_F4, kAlt);
  expectExitCode(kSampleExitCode);
}

TEST_F(SampleProgram, AMouseClickLandsOnThePointGiven) {
  ASSERT_NO_FATAL_FAILURE(start());
  setText(edit_, L"clicked");
  ASSERT_TRUE(bringToFront(window_));
  const POINT centre = centreOf(windowRect(go_));
  clickAt(centre);
  POINT cursor{};
  ASSERT_TRUE(GetCursorPos(&cursor));
  EXPECT_EQ(cursor.x, centre.x);
  EXPECT_EQ(cursor.y, centre.y);
  EXPECT_TRUE(captionBecomes(L"clicked"));
}

TEST_F(SampleProgram, KeysGoToTheWindowBroughtToTheFront) {
  ASSERT_NO_FATAL_FAILURE(start());
  LaunchedProgram other = launch(programBesideThisOne(L"e2e_sample_app.exe"), SW_SHOWNORMAL);
  const HWND otherWindow =
      waitForTopLevelWindow(other.processId(), withClass(L"SampleWindow"), kFindTimeoutMs);
  ASSERT_NE(otherWindow, nullptr);
  ASSERT_TRUE(other.waitForInputIdle(kFindTimeoutMs));
  const HWND otherEdit = findChild(otherWindow, L"Edit", L"");
  struct Step {
    HWND window, edit;
    const wchar_t* typed;
    const wchar_t* expected;
  };
  const Step steps[] = {{window_, edit_, L"first", L"first"},
                        {otherWindow, otherEdit, L"second", L"second"},
                        {window_, edit_, L" third", L"first third"}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.typed);
    ASSERT_TRUE(bringToFront(step.window));
    EXPECT_EQ(foregroundWindow(), step.window);
    ASSERT_TRUE(waitUntil([&] { return focusedWindowOf(threadOf(step.window)) == step.edit; },
                          kActTimeoutMs));
    typeText(step.typed);
    EXPECT_TRUE(waitUntil([&] { return windowText(step.edit) == step.expected; }, kActTimeoutMs));
  }
  EXPECT_EQ(windowText(otherEdit), L"second");
}

// --- Pieces that need no program --------------------------------------------------------

TEST(WaitUntil, LooksUntilTheConditionHoldsOrTheTimeIsUp) {
  int calls = 0;
  EXPECT_TRUE(waitUntil([&] { return ++calls > 0; }, 0));
  EXPECT_EQ(calls, 1);

  calls = 0;
  EXPECT_TRUE(waitUntil([&] { return ++calls == 3; }, 1000));
  EXPECT_EQ(calls, 3);

  calls = 0;
  const Clock::time_point started = Clock::now();
  EXPECT_FALSE(waitUntil([&] { return ++calls < 0; }, 100));
  EXPECT_GE(millisecondsSince(started), 100);
  EXPECT_GE(calls, 2);  // at the start and at the end at least
}

TEST(UniqueHandle, ClosesItsHandleOnceWhereverItWasMoved) {
  const HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  {
    UniqueHandle first(raw);
    UniqueHandle second(std::move(first));
    EXPECT_FALSE(first);  // moved from on purpose
    UniqueHandle third;
    third = std::move(second);
    EXPECT_EQ(third.get(), raw);
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(raw, &flags));
  }
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(raw, &flags));
}

TEST(ProgramBesideThisOne, NamesAFileInThisProgramsFolder) {
  const std::wstring path = programBesideThisOne(L"e2e_sample_app.exe");
  EXPECT_TRUE(path.ends_with(L"\\e2e_sample_app.exe"));
  EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace pumpcalc::e2e
