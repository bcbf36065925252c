// A driver for end-to-end tests: it acts as a user on another process's windows. It starts
// a program, finds its windows, reads them, and types, clicks and closes as a user would.
//
// What works under Wine 8.0 on the virtual X display (Xvfb, no window manager), found by
// experiment with the sample program in this folder (driver_test.cpp keeps the proof):
// - SendInput keyboard input reaches the focused window of the foreground program in
//   another process: virtual keys with modifiers held (Shift+Home selects), Alt+F4 (closes
//   through DefWindowProc), and KEYEVENTF_UNICODE text, CJK and surrogate pairs included.
// - SendInput mouse input with absolute coordinates lands on the exact pixel asked for; a
//   click on a window behind another activates it and clicks it.
// - SetForegroundWindow on another process's window works, but a moment later: right after
//   the call GetForegroundWindow() is null. bringToFront() therefore waits, until the window
//   is in front and its own thread has taken the activation (and set its focus).
// - A program still starting can take the foreground after the test brought another window
//   to the front: wait for LaunchedProgram::waitForInputIdle() after launch().
// - PostMessage of WM_KEYDOWN/WM_KEYUP and WM_CHAR reaches a window even when it is not in
//   front (postKey, postChars), but carries no keyboard state: a posted Shift does not make
//   Shift+Home select. A posted WM_SYSKEYDOWN VK_F4 with the Alt context bit does close.
// - BM_CLICK, posted, clicks a button whether or not its window is in front, and returns at
//   once when the click opens a modal message box.
// - WM_GETTEXT sent to a program that does not answer (busy, or hung) gives up after the
//   driver's 2 s limit with ERROR_TIMEOUT instead of hanging the test.
// - Slow: hiding or destroying a top-level window waits 2 s (a modal box that closes, a
//   program that exits) unless the program's windows are kept from the window manager,
//   see keepWindowsFromWindowManager(); with it, closing takes some 20 ms.
// - Every program with windows also has a hidden top-level window "Default IME" (class
//   "IME") among its top-level windows.
//
// Every function throws std::runtime_error when a Win32 call fails, except where the
// result itself says so (a null window, false, std::nullopt).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace pumpcalc::e2e {

// Owns one kernel handle and closes it once.
using UniqueHandle = platform::UniqueKernelHandle;

// A program started by launch(). If it still runs when this object goes, it is terminated
// and waited for, so that no test leaves a program behind.
class LaunchedProgram {
 public:
  LaunchedProgram(UniqueHandle process, UniqueHandle thread, DWORD processId,
                  DWORD threadId) noexcept;
  LaunchedProgram(LaunchedProgram&&) noexcept = default;
  LaunchedProgram& operator=(LaunchedProgram&& other) noexcept;
  LaunchedProgram(const LaunchedProgram&) = delete;
  LaunchedProgram& operator=(const LaunchedProgram&) = delete;
  ~LaunchedProgram();

  DWORD processId() const noexcept { return processId_; }
  // The program's first thread, the one that runs its message loop in most programs.
  DWORD mainThreadId() const noexcept { return threadId_; }
  HANDLE processHandle() const noexcept { return process_.get(); }

  // The exit code once the program has ended within the time; std::nullopt while it runs.
  std::optional<DWORD> waitForExit(DWORD milliseconds) const;
  bool isRunning() const;
  // True once the program waits for input with nothing left to do (WaitForInputIdle).
  bool waitForInputIdle(DWORD milliseconds) const;
  // Ends the program now, with the given exit code, and waits for it to be gone.
  void terminate(UINT exitCode = 0xE2E);

 private:
  void terminateQuietly() noexcept;

  UniqueHandle process_;
  UniqueHandle thread_;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
};

// The show command given to the program through STARTUPINFOW.wShowWindow; the program
// sees it as the nCmdShow of its WinMain and its first ShowWindow call uses it.
inline constexpr int kNoShowCommand = -1;

// Starts exePath (quoted on the command line, followed by arguments) in workingDir (the
// current folder when empty). Throws std::runtime_error when CreateProcessW fails.
LaunchedProgram launch(const std::wstring& exePath, int showCommand,
                       const std::wstring& workingDir = {}, std::wstring_view arguments = {});

// The full path of a program in the folder of the running program: the tests find the
// programs they drive beside themselves, in bin/.
std::wstring programBesideThisOne(std::wstring_view fileName);

// A snapshot of one window, taken at one moment.
struct WindowInfo {
  HWND handle = nullptr;
  std::wstring className;
  std::wstring caption;  // empty when the window did not answer WM_GETTEXT in time
  bool visible = false;
  bool enabled = false;
  HWND owner = nullptr;
  RECT rect{};  // screen coordinates
  LONG_PTR style = 0;
  LONG_PTR exStyle = 0;
  DWORD processId = 0;
  DWORD threadId = 0;
};

WindowInfo describeWindow(HWND window);

using WindowPredicate = std::function<bool(const WindowInfo&)>;

// Predicates for the common searches. Class names compare without regard to case, as
// Windows compares them; captions compare exactly.
WindowPredicate withClass(std::wstring className);
WindowPredicate withClassAndCaption(std::wstring className, std::wstring caption);

// The process's top-level windows, hidden ones included, front to back.
std::vector<WindowInfo> topLevelWindows(DWORD processId);
// The first of the process's top-level windows that the predicate accepts, looked for every
// 20 ms until timeoutMs; nullptr when there was none in time.
HWND waitForTopLevelWindow(DWORD processId, const WindowPredicate& predicate, int timeoutMs);
// The window's direct children, front to back: for children that never changed their
// z-order, the order in which they were created.
std::vector<WindowInfo> childWindows(HWND parent);
// The first descendant (depth first, front to back) of the given class and text; an empty
// className or text matches any. nullptr when there is none.
HWND findChild(HWND parent, std::wstring_view className, std::wstring_view text);
// The child with the given control identifier (GetDlgItem), e.g. IDOK of a message box;
// nullptr when there is none.
HWND dialogItem(HWND dialog, int controlId);

// Reading.
// The text through WM_GETTEXT, so that it is what the window itself reports (an edit
// box's contents too), with a time limit so that a hung program cannot hang the test.
std::wstring windowText(HWND window);
std::wstring className(HWND window);
RECT windowRect(HWND window);
RECT clientRectOnScreen(HWND window);
POINT centreOf(const RECT& rect);
// Whether `inner` lies wholly within `outer`.
bool contains(const RECT& outer, const RECT& inner);
// The work area of the primary monitor (the screen without the taskbar).
RECT workArea();
bool isWindow(HWND window);
bool isVisible(HWND window);
bool isEnabled(HWND window);
bool isIconic(HWND window);
bool isZoomed(HWND window);
HWND foregroundWindow();
// The window with the keyboard focus in the given thread's input queue; nullptr if none.
HWND focusedWindowOf(DWORD threadId);
DWORD threadOf(HWND window);

// Acting through messages. Posted messages return at once, so that a modal box that the
// action opens does not block the driver.
void postClose(HWND window);                   // WM_CLOSE
void sysCommand(HWND window, WPARAM command);  // WM_SYSCOMMAND: SC_CLOSE, SC_MINIMIZE, ...
void clickButton(HWND button);                 // BM_CLICK
// WM_SETTEXT, sent with a time limit (a long text takes an edit box a while under Wine); it
// waits for a busy program up to the limit.
void setText(HWND window, std::wstring_view text, int timeoutMs = 2000);
// Key strokes posted straight into a window's queue (WM_KEYDOWN/WM_KEYUP, WM_CHAR): they
// reach the window whether or not it is in front, but without the keyboard state a real
// key stroke has (no modifiers, no system keys).
void postKey(HWND window, WORD virtualKey);
void postChars(HWND window, std::wstring_view text);

// Acting through the real keyboard and mouse (SendInput): the input goes to the foreground
// window, as a user's would.
enum Modifiers : unsigned {
  kNoModifiers = 0,
  kShift = 1u << 0,
  kCtrl = 1u << 1,
  kAlt = 1u << 2,
};
constexpr Modifiers operator|(Modifiers a, Modifiers b) {
  return static_cast<Modifiers>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
// Presses and releases one key with the given modifiers held down.
void pressKey(WORD virtualKey, Modifiers modifiers = kNoModifiers);
// Types the text as Unicode key strokes (KEYEVENTF_UNICODE), whatever the keyboard layout.
void typeText(std::wstring_view text);
// Moves the mouse to the screen point and clicks the left button there.
void clickAt(POINT screenPoint);
// Makes the window the foreground window; true once it is, within the time.
bool bringToFront(HWND window, int timeoutMs = 15000);
// True once, within the time, key strokes reach `window`: its top-level window is the
// foreground window and active in its thread, and the thread's keyboard focus is `window`
// or a window inside it. Wait for this before typing, as a user looks before typing.
bool waitForFocus(HWND window, int timeoutMs);

// Under Wine: whether this program runs under Wine (its ntdll exports wine_get_version).
bool runningUnderWine();
// Under Wine with no window manager (the virtual display), hiding or destroying a
// top-level window that Wine has handed to a window manager waits 2 s for the manager's
// answer, which never comes. This tells Wine, for programs of the given file name
// ("pumpcalc.exe"), to keep their windows to itself, through the Wine prefix's registry
// (HKCU\Software\Wine\AppDefaults\NAME\X11 Driver, Managed = "N"); it holds for
// programs started afterwards. Does nothing and returns false when not under Wine.
bool keepWindowsFromWindowManager(std::wstring_view programFileName);

// Evaluates condition every 20 ms until it holds or timeoutMs has passed; true if it held.
// It is evaluated at least once, and once more at the end of the time.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs);

}  // namespace pumpcalc::e2e
