// The window program and the error reporting as a user meets them: started, shown,
// minimised, closed in every way, and failing in every way, driven from outside.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/fault_probe.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/message_boxes.h"

namespace pumpcalc::e2e {
namespace {

constexpr int timeout = 15000;

struct Started {
  LaunchedProgram program;
  HWND applicationWindow;
  HWND mainWindow;
};

// Starts a copy of pumpcalc.exe (under another file name when given) and waits for its
// windows.
Started startPumpcalc(int showCommand = kNoShowCommand, const std::wstring& fileName = {}) {
  std::wstring path = programBesideThisOne(L"pumpcalc.exe");
  if (!fileName.empty()) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"pumpcalc-e2e\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + fileName;
    EXPECT_TRUE(CopyFileW(path.c_str(), copy.c_str(), FALSE)) << GetLastError();
    path = copy;
  }
  LaunchedProgram program = launch(path, showCommand);
  HWND app = waitForTopLevelWindow(program.processId(), withClass(L"TApplication"), timeout);
  HWND main = waitForTopLevelWindow(program.processId(), withClass(L"TForm1"), timeout);
  return {std::move(program), app, main};
}

// Answers the confirmation that closing the main window asks with OK, then expects the
// program to end with the code.
void expectClosedWithExitCode(const LaunchedProgram& program, DWORD expected) {
  ASSERT_TRUE(answerConfirmation(program, L"OK", timeout)) << "no confirmation";
  const auto code = program.waitForExit(timeout);
  ASSERT_TRUE(code.has_value()) << "the program did not end";
  EXPECT_EQ(*code, expected);
}

void expectExitCode(const LaunchedProgram& program, DWORD expected) {
  const auto code = program.waitForExit(timeout);
  ASSERT_TRUE(code.has_value()) << "the program did not end";
  EXPECT_EQ(*code, expected);
}

TEST(PumpcalcWindow, OpensAtItsPlaceOwnedByTheTaskbarWindowAndEndsWithZero) {
  Started started = startPumpcalc();
  ASSERT_NE(started.mainWindow, nullptr);
  ASSERT_TRUE(waitUntil([&] { return isVisible(started.mainWindow); }, timeout));
  const WindowInfo main = describeWindow(started.mainWindow);
  EXPECT_EQ(main.caption, L"Form1");
  EXPECT_EQ(main.rect.left, 293);
  EXPECT_EQ(main.rect.top, 221);
  EXPECT_EQ(main.rect.right - main.rect.left, 377);
  EXPECT_EQ(main.rect.bottom - main.rect.top, 407);
  EXPECT_EQ(main.owner, started.applicationWindow);
  // The taskbar button belongs to the visible, unowned application window and its title.
  const WindowInfo app = describeWindow(started.applicationWindow);
  EXPECT_TRUE(app.visible);
  EXPECT_EQ(app.owner, nullptr);
  EXPECT_EQ(app.caption, L"pumpcalc");
  EXPECT_EQ(app.style & 0xFFFF0000, 0x84CA0000 | WS_VISIBLE);

  postClose(started.mainWindow);
  expectClosedWithExitCode(started.program, 0);
}

TEST(PumpcalcWindow, TheTitleComesFromTheProgramFileName) {
  for (const auto& [fileName, title] :
       {std::pair{L"PUMPCALC.EXE", L"Pumpcalc"}, std::pair{L"Pump.Calc.exe", L"Pump"}}) {
    Started started = startPumpcalc(kNoShowCommand, fileName);
    ASSERT_NE(started.applicationWindow, nullptr);
    EXPECT_EQ(windowText(started.applicationWindow), title);
    EXPECT_EQ(windowText(started.mainWindow), L"Form1");
    // Close on the taskbar button's menu.
    sysCommand(started.applicationWindow, SC_CLOSE);
    expectClosedWithExitCode(started.program, 0);
  }
}

TEST(PumpcalcWindow, FollowsTheLaunchersShowCommand) {
  {
    Started maximised = startPumpcalc(SW_SHOWMAXIMIZED);
    ASSERT_TRUE(waitUntil([&] { return isZoomed(maximised.mainWindow); }, timeout));
    postClose(maximised.mainWindow);
    expectClosedWithExitCode(maximised.program, 0);
  }
  {
    // Minimised without activation: only the taskbar button; restoring shows the window
    // in its normal state.
    Started minimised = startPumpcalc(SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(waitUntil([&] { return isIconic(minimised.applicationWindow); }, timeout));
    EXPECT_FALSE(isVisible(minimised.mainWindow));
    sysCommand(minimised.applicationWindow, SC_RESTORE);
    ASSERT_TRUE(waitUntil([&] { return isVisible(minimised.mainWindow); }, timeout));
    EXPECT_FALSE(isZoomed(minimised.mainWindow));
    EXPECT_FALSE(isIconic(minimised.mainWindow));
    EXPECT_EQ(windowRect(minimised.mainWindow).left, 293);
    postClose(minimised.mainWindow);
    expectClosedWithExitCode(minimised.program, 0);
  }
  {
    Started other = startPumpcalc(SW_SHOWMINIMIZED);
    ASSERT_TRUE(waitUntil([&] { return isVisible(other.mainWindow); }, timeout));
    EXPECT_FALSE(isIconic(other.mainWindow));
    EXPECT_EQ(windowRect(other.mainWindow).left, 293);
    EXPECT_EQ(windowRect(other.mainWindow).top, 221);
    postClose(other.mainWindow);
    expectClosedWithExitCode(other.program, 0);
  }
}

TEST(PumpcalcWindow, EveryWayOfClosingEndsTheProgram) {
  {
    Started started = startPumpcalc();
    sysCommand(started.mainWindow, SC_CLOSE);  // the system menu's Close, the close box
    expectClosedWithExitCode(started.program, 0);
  }
  {
    Started started = startPumpcalc();
    ASSERT_TRUE(started.program.waitForInputIdle(timeout)) << "the program never became idle";
    ASSERT_TRUE(bringToFront(started.mainWindow));
    ASSERT_TRUE(waitForFocus(started.mainWindow, timeout)) << "the window never had the focus";
    pressKey(VK_F4, kAlt);
    expectClosedWithExitCode(started.program, 0);
  }
}

TEST(PumpcalcWindow, MinimisingGoesThroughTheTaskbarButton) {
  Started started = startPumpcalc();
  ASSERT_TRUE(waitUntil([&] { return isVisible(started.mainWindow); }, timeout));
  sysCommand(started.mainWindow, SC_MINIMIZE);
  ASSERT_TRUE(waitUntil([&] { return isIconic(started.applicationWindow); }, timeout));
  EXPECT_FALSE(isVisible(started.mainWindow));
  sysCommand(started.applicationWindow, SC_RESTORE);
  ASSERT_TRUE(waitUntil([&] { return isVisible(started.mainWindow); }, timeout));
  EXPECT_TRUE(waitUntil([&] { return !isIconic(started.applicationWindow); }, timeout));
  postClose(started.mainWindow);
  expectClosedWithExitCode(started.program, 0);
}

// The error reporting, with a probe program that fails on request.
LaunchedProgram startProbe(const wchar_t* mode) {
  return launch(programBesideThisOne(L"fault_probe.exe"), kNoShowCommand, {}, mode);
}

TEST(ErrorReporting, AnErrorInAHandlerIsShownAndTheProgramGoesOn) {
  LaunchedProgram probe = startProbe(L"window");
  HWND window = waitForTopLevelWindow(probe.processId(), withClass(L"TProbeForm"), timeout);
  ASSERT_NE(window, nullptr);

  PostMessageW(window, probe::failWithZeroDivide, 0, 0);
  MessageBoxSeen box = waitForMessageBox(probe, timeout);
  ASSERT_NE(box.handle, nullptr);
  EXPECT_EQ(box.caption, "fault_probe");
  EXPECT_EQ(box.text, "Floating point division by zero.");
  // While the box shows, the program's window takes no input.
  EXPECT_FALSE(isEnabled(window));
  pressOk(box, timeout);
  ASSERT_TRUE(waitUntil([&] { return isEnabled(window); }, timeout));
  EXPECT_TRUE(waitUntil([&] { return foregroundWindow() == window; }, timeout));

  // A raised value outside the error family: the fallback text, and still the program
  // goes on.
  PostMessageW(window, probe::failWithForeignValue, 0, 0);
  box = waitForMessageBox(probe, timeout);
  ASSERT_NE(box.handle, nullptr);
  EXPECT_EQ(box.caption, "Application Error");
  EXPECT_EQ(
      box.text.rfind("Exception std::runtime_error in module fault_probe.exe at 00000000.", 0), 0u)
      << box.text;
  pressOk(box, timeout);
  ASSERT_TRUE(waitUntil([&] { return isEnabled(window); }, timeout));

  postClose(window);
  expectExitCode(probe, 0);
}

struct LastResortCase {
  const wchar_t* mode;
  std::string firstLineStart;
  std::string secondLine;
};

TEST(ErrorReporting, AnErrorOutsideEveryNetShowsTheLastResortBoxAndEndsWithOne) {
  const LastResortCase cases[] = {
      {L"read-null", "Exception EAccessViolation in module fault_probe.exe at ",
       "Read of address 00000000."},
      {L"write-null", "Exception EAccessViolation in module fault_probe.exe at ",
       "Write of address 00000000."},
      {L"stack-overflow", "Exception EStackOverflow in module fault_probe.exe at ",
       "Stack overflow."},
      {L"zero-divide", "Exception EZeroDivide in module fault_probe.exe at ",
       "Floating point division by zero."},
      {L"foreign", "Exception std::runtime_error in module fault_probe.exe at 00000000.", ""},
      {L"failing-window", "Exception EConvertError in module fault_probe.exe at 00000000.",
       "'x' is not a valid floating point value."},
      // Too long for the screen: the input is cut in its middle, the rest stays.
      {L"failing-window-long", "Exception EConvertError in module fault_probe.exe at 00000000.",
       "xxxxxxxxxx' is not a valid floating point value."},
  };
  const RECT screen = workArea();
  for (const LastResortCase& c : cases) {
    LaunchedProgram probe = startProbe(c.mode);
    MessageBoxWatcher watcher(probe);
    const MessageBoxSeen box = waitForMessageBox(probe, timeout);
    ASSERT_NE(box.handle, nullptr) << narrow(c.mode);
    EXPECT_EQ(box.caption, "Application Error");
    EXPECT_TRUE(contains(screen, windowRect(box.handle))) << narrow(c.mode);
    EXPECT_EQ(box.text.rfind(c.firstLineStart, 0), 0u) << box.text;
    // The second line ends with the message and its period.
    const std::size_t lineBreak = box.text.find("\r\n");
    ASSERT_NE(lineBreak, std::string::npos) << box.text;
    std::string second = box.text.substr(lineBreak + 2);
    if (second.ends_with("\r\n")) second.resize(second.size() - 2);
    EXPECT_TRUE(second.ends_with(c.secondLine)) << box.text;
    ASSERT_TRUE(waitUntil([&] { return watcher.appeared() > 0; }, timeout));
    pressOk(box, timeout);
    EXPECT_EQ(watcher.stop(), 1) << narrow(c.mode);
    expectExitCode(probe, 1);
  }
}

TEST(ErrorReporting, WithoutTheHooksAnErrorEndsTheProgramWithARuntimeError) {
  LaunchedProgram probe = startProbe(L"without-hooks");
  MessageBoxSeen box = waitForMessageBox(probe, timeout);
  ASSERT_NE(box.handle, nullptr);
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.text.rfind("Runtime error 217 at ", 0), 0u);
  pressOk(box, timeout);
  expectExitCode(probe, 217);
}

}  // namespace
}  // namespace pumpcalc::e2e
