// A console program's error reporting, with a probe built from pumpcalc-cli.exe's entry point
// that fails on request: the text on standard error, the exit code, and no window at all, so
// that a run nobody watches never waits for a click.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/e2e/driver.h"
#include "tests/e2e/message_boxes.h"

namespace pumpcalc::e2e {
namespace {

constexpr DWORD timeout = 15000;

// Windows created by the watched process, as the event hook reports them. The hook's
// procedure has no parameter of its own to count into; only the test's thread touches it.
int windowsCreated = 0;

void CALLBACK onWindowCreated(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_WINDOW && child == CHILDID_SELF) ++windowsCreated;
}

struct ConsoleRun {
  std::optional<DWORD> exitCode;  // none when it did not end in time
  std::string standardError;
  int windowsCreated = 0;
};

// Runs the program with its standard error in a file, counting the windows that its process
// creates from its first instruction until it ends (or, with `untilAWindow`, until it has
// created one). A program that still runs then, or after the time, is ended.
ConsoleRun runWatched(const std::wstring& program, const std::wstring& arguments,
                      bool untilAWindow = false) {
  wchar_t folder[MAX_PATH];
  wchar_t file[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"err", 0, file);
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  UniqueHandle errors(CreateFileW(file, GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, CREATE_ALWAYS,
                                  FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  EXPECT_NE(errors.get(), INVALID_HANDLE_VALUE);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = errors.get();
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                      nullptr, nullptr, &startup, &info)) {
    ADD_FAILURE() << "CreateProcessW: " << GetLastError();
    return {};
  }
  LaunchedProgram launched(UniqueHandle(info.hProcess), UniqueHandle(info.hThread),
                           info.dwProcessId, info.dwThreadId);
  windowsCreated = 0;
  platform::UniqueHandle<HWINEVENTHOOK, UnhookWinEvent> hook(
      SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, onWindowCreated,
                      info.dwProcessId, 0, WINEVENT_OUTOFCONTEXT));
  EXPECT_TRUE(hook);
  ResumeThread(info.hThread);

  // The hook's events arrive as messages of this thread while it waits.
  ConsoleRun run;
  const ULONGLONG deadline = GetTickCount64() + timeout;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    const ULONGLONG now = GetTickCount64();
    if (!launched.isRunning() || now >= deadline || (untilAWindow && windowsCreated > 0)) break;
    HANDLE process = launched.processHandle();
    MsgWaitForMultipleObjects(1, &process, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
  }
  run.exitCode = launched.waitForExit(0);
  if (!run.exitCode) launched.terminate();
  hook.reset();
  // The process is gone: every event of its windows is in this thread's queue now, and is
  // counted here rather than in the next run.
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  run.windowsCreated = windowsCreated;

  std::string text(64 * 1024, '\0');
  DWORD read = 0;
  SetFilePointer(errors.get(), 0, nullptr, FILE_BEGIN);
  ReadFile(errors.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  text.resize(read);
  run.standardError = text;
  return run;
}

// The watch itself: a window program's error box is seen.
TEST(ConsoleErrors, TheWatchSeesTheWindowsOfAWindowProgram) {
  EXPECT_GT(runWatched(programBesideThisOne(L"fault_probe.exe"), L"read-null", true).windowsCreated,
            0);
}

struct ConsoleCase {
  const wchar_t* arguments;
  std::string firstLineStart;
  std::string secondLineEnd;  // of the last-resort text; none for a runtime error
  DWORD exitCode;
};

TEST(ConsoleErrors, AreWrittenOnStandardErrorWithTheWindowProgramsTextsAndExitCodes) {
  const std::string module = " in module console_fault_probe.exe at ";
  const ConsoleCase cases[] = {
      {L"read-null", "Exception EAccessViolation" + module, ". Read of address 00000000.", 1},
      {L"stack-overflow", "Exception EStackOverflow" + module, "Stack overflow.", 1},
      {L"zero-divide", "Exception EZeroDivide" + module, "Floating point division by zero.", 1},
      {L"foreign", "Exception std::runtime_error" + module + "00000000.", "", 1},
      // Without the error hooks: a runtime error, numbered after the error or the exception.
      {L"without-hooks", "Runtime error 217 at 00000000", "", 217},
      {L"remove-hooks read-null", "Runtime error 216 at ", "", 216},
  };
  const std::wstring probe = programBesideThisOne(L"console_fault_probe.exe");
  for (const ConsoleCase& c : cases) {
    SCOPED_TRACE(narrow(c.arguments));
    const ConsoleRun run = runWatched(probe, c.arguments);
    ASSERT_TRUE(run.exitCode.has_value()) << "still running: waiting for a click?";
    EXPECT_EQ(*run.exitCode, c.exitCode);
    EXPECT_EQ(run.windowsCreated, 0);
    const std::string& text = run.standardError;
    EXPECT_EQ(text.rfind(c.firstLineStart, 0), 0u) << text;
    if (c.exitCode != 1) {
      // One line.
      EXPECT_EQ(text.find_first_of("\r\n"), text.size() - 1) << text;
      EXPECT_TRUE(text.ends_with("\n")) << text;
      continue;
    }
    // Two lines, each ended by CR LF, as the window program's box text.
    const std::size_t lineBreak = text.find("\r\n");
    ASSERT_NE(lineBreak, std::string::npos) << text;
    ASSERT_TRUE(text.ends_with("\r\n")) << text;
    const std::string second = text.substr(lineBreak + 2, text.size() - lineBreak - 4);
    EXPECT_TRUE(second.ends_with(c.secondLineEnd)) << text;
    EXPECT_EQ(second.find("\r\n"), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace pumpcalc::e2e
