#include "tests/e2e/driver.h"

#include <chrono>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

namespace pumpcalc::e2e {
namespace {

// How long a sent message may take before the target counts as hung.
constexpr UINT kSendTimeoutMs = 2000;
// How often the waiting functions look again.
constexpr auto kPollInterval = std::chrono::milliseconds(20);

std::string narrow(std::wstring_view text) {
  std::string result;
  for (wchar_t c : text) result.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return result;
}

[[noreturn]] void fail(const char* call, DWORD error = GetLastError()) {
  throw std::runtime_error(std::string(call) + " failed, error " + std::to_string(error));
}

void requireWindow(HWND window, const char* what) {
  if (!IsWindow(window)) {
    throw std::runtime_error(std::string(what) + ": not a window");
  }
}

bool sameClassName(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The text through WM_GETTEXTLENGTH and WM_GETTEXT, or std::nullopt when the window does not
// answer in time or is gone.
std::optional<std::wstring> tryWindowText(HWND window, UINT timeoutMs) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &length)) {
    return std::nullopt;
  }
  // WM_GETTEXTLENGTH may report more than WM_GETTEXT copies (never less), so the copied
  // count decides the length.
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, timeoutMs, &copied)) {
    return std::nullopt;
  }
  text.resize(copied < text.size() ? copied : text.size() - 1);
  return text;
}

// EnumWindows with a callable; an exception from the callable is kept and thrown again
// once EnumWindows has returned, so that none crosses the callback.
template <typename Visit>
void forEachTopLevelWindow(Visit visit) {
  struct Context {
    Visit* visit;
    std::exception_ptr error;
  } context{&visit, nullptr};
  const auto callback = [](HWND window, LPARAM param) -> BOOL {
    auto* state = reinterpret_cast<Context*>(param);
    try {
      (*state->visit)(window);
      return TRUE;
    } catch (...) {
      state->error = std::current_exception();
      return FALSE;
    }
  };
  SetLastError(ERROR_SUCCESS);
  const BOOL finished = EnumWindows(callback, reinterpret_cast<LPARAM>(&context));
  if (context.error) std::rethrow_exception(context.error);
  if (!finished && GetLastError() != ERROR_SUCCESS) fail("EnumWindows");
}

void sendInputs(std::vector<INPUT>& inputs) {
  if (inputs.empty()) return;
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  if (sent != inputs.size()) fail("SendInput");
}

bool isExtendedKey(WORD virtualKey) {
  switch (virtualKey) {
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_DIVIDE:
    case VK_NUMLOCK:
      return true;
    default:
      return false;
  }
}

INPUT keyInput(WORD virtualKey, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags =
      (up ? KEYEVENTF_KEYUP : 0) | (isExtendedKey(virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

INPUT mouseInput(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = flags;
  return input;
}

// A screen coordinate as SendInput's absolute coordinate: 0..65535 across the primary
// screen, rounded up so that scaling back (value × size ÷ 65536, rounded down) gives the
// same pixel.
LONG toAbsolute(LONG pixel, int screenSize) {
  return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + screenSize - 1) / screenSize);
}

using RegistryKey = platform::UniqueHandle<HKEY, RegCloseKey>;

}  // namespace

// --- LaunchedProgram --------------------------------------------------------------------

LaunchedProgram::LaunchedProgram(UniqueHandle process, UniqueHandle thread, DWORD processId,
                                 DWORD threadId) noexcept
    : process_(std::move(process)),
      thread_(std::move(thread)),
      processId_(processId),
      threadId_(threadId) {}

LaunchedProgram& LaunchedProgram::operator=(LaunchedProgram&& other) noexcept {
  if (this != &other) {
    terminateQuietly();
    process_ = std::move(other.process_);
    thread_ = std::move(other.thread_);
    processId_ = other.processId_;
    threadId_ = other.threadId_;
  }
  return *this;
}

LaunchedProgram::~LaunchedProgram() { terminateQuietly(); }

void LaunchedProgram::terminateQuietly() noexcept {
  if (!process_) return;
  if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    // Nothing to report from a destructor: the program is ended as well as can be.
    if (TerminateProcess(process_.get(), 0xE2E)) WaitForSingleObject(process_.get(), 5000);
  }
}

std::optional<DWORD> LaunchedProgram::waitForExit(DWORD milliseconds) const {
  switch (WaitForSingleObject(process_.get(), milliseconds)) {
    case WAIT_OBJECT_0: {
      DWORD exitCode = 0;
      if (!GetExitCodeProcess(process_.get(), &exitCode)) fail("GetExitCodeProcess");
      return exitCode;
    }
    case WAIT_TIMEOUT:
      return std::nullopt;
    default:
      fail("WaitForSingleObject");
  }
}

bool LaunchedProgram::isRunning() const { return !waitForExit(0).has_value(); }

bool LaunchedProgram::waitForInputIdle(DWORD milliseconds) const {
  const DWORD result = WaitForInputIdle(process_.get(), milliseconds);
  if (result == WAIT_FAILED) fail("WaitForInputIdle");
  return result == 0;
}

void LaunchedProgram::terminate(UINT exitCode) {
  if (!isRunning()) return;
  if (!TerminateProcess(process_.get(), exitCode)) fail("TerminateProcess");
  if (!waitForExit(5000)) throw std::runtime_error("terminated program did not end");
}

LaunchedProgram launch(const std::wstring& exePath, int showCommand, const std::wstring& workingDir,
                       std::wstring_view arguments) {
  std::wstring commandLine = L"\"" + exePath + L"\"";
  if (!arguments.empty()) {
    commandLine += L' ';
    commandLine += arguments;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (showCommand != kNoShowCommand) {
    startup.dwFlags |= STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
  }
  PROCESS_INFORMATION info{};
  const auto create = [&] {
    return CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info);
  };
  // Wine answers ERROR_INTERNAL_ERROR when the new process ended before it reported to its
  // parent: seen once in 40 runs from a fresh prefix, never with a warm one. Nothing of that
  // process is left, so it is started once more.
  if (!create() && !(GetLastError() == ERROR_INTERNAL_ERROR && create())) {
    const DWORD error = GetLastError();
    throw std::runtime_error("CreateProcessW failed for " + narrow(exePath) + ", error " +
                             std::to_string(error));
  }
  return LaunchedProgram(UniqueHandle(info.hProcess), UniqueHandle(info.hThread), info.dwProcessId,
                         info.dwThreadId);
}

std::wstring programBesideThisOne(std::wstring_view fileName) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) fail("GetModuleFileNameW");
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  path.resize(slash == std::wstring::npos ? 0 : slash + 1);
  path += fileName;
  return path;
}

namespace {

// Described after the listing, a window that went away meanwhile is left out.
std::vector<WindowInfo> describeStillExisting(const std::vector<HWND>& windows) {
  std::vector<WindowInfo> result;
  for (HWND window : windows) {
    try {
      result.push_back(describeWindow(window));
    } catch (const std::runtime_error&) {
      if (IsWindow(window)) throw;
    }
  }
  return result;
}

}  // namespace

// --- Finding windows --------------------------------------------------------------------

WindowInfo describeWindow(HWND window) {
  WindowInfo info;
  info.handle = window;
  info.className = className(window);
  info.caption = tryWindowText(window, 500).value_or(std::wstring());
  info.visible = IsWindowVisible(window) != FALSE;
  info.enabled = IsWindowEnabled(window) != FALSE;
  info.owner = GetWindow(window, GW_OWNER);
  info.rect = windowRect(window);
  info.style = GetWindowLongPtrW(window, GWL_STYLE);
  info.exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  info.threadId = GetWindowThreadProcessId(window, &info.processId);
  return info;
}

WindowPredicate withClass(std::wstring name) {
  return [name = std::move(name)](const WindowInfo& info) {
    return sameClassName(info.className, name);
  };
}

WindowPredicate withClassAndCaption(std::wstring name, std::wstring caption) {
  return [name = std::move(name), caption = std::move(caption)](const WindowInfo& info) {
    return sameClassName(info.className, name) && info.caption == caption;
  };
}

std::vector<WindowInfo> topLevelWindows(DWORD processId) {
  std::vector<HWND> windows;
  forEachTopLevelWindow([&](HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId) windows.push_back(window);
  });
  return describeStillExisting(windows);
}

HWND waitForTopLevelWindow(DWORD processId, const WindowPredicate& predicate, int timeoutMs) {
  HWND found = nullptr;
  waitUntil(
      [&] {
        for (const WindowInfo& info : topLevelWindows(processId)) {
          if (predicate(info)) {
            found = info.handle;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

std::vector<WindowInfo> childWindows(HWND parent) {
  requireWindow(parent, "childWindows");
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return describeStillExisting(children);
}

HWND findChild(HWND parent, std::wstring_view name, std::wstring_view text) {
  for (const WindowInfo& child : childWindows(parent)) {
    if ((name.empty() || sameClassName(child.className, name)) &&
        (text.empty() || child.caption == text)) {
      return child.handle;
    }
    if (HWND inner = findChild(child.handle, name, text)) return inner;
  }
  return nullptr;
}

HWND dialogItem(HWND dialog, int controlId) {
  requireWindow(dialog, "dialogItem");
  return GetDlgItem(dialog, controlId);
}

// --- Reading ----------------------------------------------------------------------------

std::wstring windowText(HWND window) {
  requireWindow(window, "windowText");
  std::optional<std::wstring> text = tryWindowText(window, kSendTimeoutMs);
  if (!text) fail("SendMessageTimeoutW(WM_GETTEXT)");
  return *std::move(text);
}

std::wstring className(HWND window) {
  wchar_t name[256];
  const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  if (length == 0) fail("GetClassNameW");
  return std::wstring(name, static_cast<std::size_t>(length));
}

RECT windowRect(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) fail("GetWindowRect");
  return rect;
}

RECT clientRectOnScreen(HWND window) {
  RECT rect{};
  if (!GetClientRect(window, &rect)) fail("GetClientRect");
  POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
  SetLastError(ERROR_SUCCESS);
  if (MapWindowPoints(window, HWND_DESKTOP, corners, 2) == 0 && GetLastError() != ERROR_SUCCESS) {
    fail("MapWindowPoints");
  }
  return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

POINT centreOf(const RECT& rect) {
  return POINT{rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2};
}

bool contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

RECT workArea() {
  RECT area{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) fail("SystemParametersInfoW");
  return area;
}

bool isWindow(HWND window) { return IsWindow(window) != FALSE; }
bool isVisible(HWND window) { return IsWindowVisible(window) != FALSE; }
bool isEnabled(HWND window) { return IsWindowEnabled(window) != FALSE; }
bool isIconic(HWND window) { return IsIconic(window) != FALSE; }
bool isZoomed(HWND window) { return IsZoomed(window) != FALSE; }
HWND foregroundWindow() { return GetForegroundWindow(); }

HWND focusedWindowOf(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(threadId, &info)) fail("GetGUIThreadInfo");
  return info.hwndFocus;
}

DWORD threadOf(HWND window) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (thread == 0) fail("GetWindowThreadProcessId");
  return thread;
}

// --- Acting through messages ------------------------------------------------------------

void postClose(HWND window) {
  if (!PostMessageW(window, WM_CLOSE, 0, 0)) fail("PostMessageW(WM_CLOSE)");
}

void sysCommand(HWND window, WPARAM command) {
  if (!PostMessageW(window, WM_SYSCOMMAND, command, 0)) fail("PostMessageW(WM_SYSCOMMAND)");
}

void clickButton(HWND button) {
  if (!PostMessageW(button, BM_CLICK, 0, 0)) fail("PostMessageW(BM_CLICK)");
}

void setText(HWND window, std::wstring_view text, int timeoutMs) {
  const std::wstring terminated(text);
  DWORD_PTR result = 0;
  // Not SMTO_ABORTIFHUNG: a program busy for seconds (an edit box painting 100,000
  // characters under Wine) counts as hung, and would be given up on before the time.
  const ULONGLONG start = GetTickCount64();
  if (!SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(terminated.c_str()),
                           SMTO_NORMAL, static_cast<UINT>(timeoutMs), &result)) {
    // How long it waited tells a program that did not answer in time from a call refused.
    const DWORD error = GetLastError();
    throw std::runtime_error("SendMessageTimeoutW(WM_SETTEXT) of " + std::to_string(text.size()) +
                             " characters failed after " +
                             std::to_string(GetTickCount64() - start) + " of " +
                             std::to_string(timeoutMs) + " ms, error " + std::to_string(error));
  }
  if (result != TRUE) throw std::runtime_error("WM_SETTEXT: the window refused the text");
}

void postKey(HWND window, WORD virtualKey) {
  const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  const LPARAM extended = isExtendedKey(virtualKey) ? (1 << 24) : 0;
  const LPARAM down = 1 | static_cast<LPARAM>(scan << 16) | extended;
  const LPARAM up = down | (1u << 30) | (1u << 31);
  if (!PostMessageW(window, WM_KEYDOWN, virtualKey, down)) fail("PostMessageW(WM_KEYDOWN)");
  if (!PostMessageW(window, WM_KEYUP, virtualKey, up)) fail("PostMessageW(WM_KEYUP)");
}

void postChars(HWND window, std::wstring_view text) {
  for (wchar_t c : text) {
    if (!PostMessageW(window, WM_CHAR, c, 1)) fail("PostMessageW(WM_CHAR)");
  }
}

// --- Acting through the keyboard and the mouse ------------------------------------------

void pressKey(WORD virtualKey, Modifiers modifiers) {
  static constexpr std::pair<Modifiers, WORD> kModifierKeys[] = {
      {kCtrl, VK_CONTROL}, {kAlt, VK_MENU}, {kShift, VK_SHIFT}};
  std::vector<INPUT> inputs;
  for (const auto& [flag, key] : kModifierKeys) {
    if (modifiers & flag) inputs.push_back(keyInput(key, false));
  }
  inputs.push_back(keyInput(virtualKey, false));
  inputs.push_back(keyInput(virtualKey, true));
  for (auto it = std::rbegin(kModifierKeys); it != std::rend(kModifierKeys); ++it) {
    if (modifiers & it->first) inputs.push_back(keyInput(it->second, true));
  }
  sendInputs(inputs);
}

void typeText(std::wstring_view text) {
  std::vector<INPUT> inputs;
  for (wchar_t c : text) {
    for (bool up : {false, true}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = c;
      input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(input);
    }
  }
  sendInputs(inputs);
}

void clickAt(POINT screenPoint) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  if (width <= 0 || height <= 0) throw std::runtime_error("clickAt: no screen size");
  std::vector<INPUT> inputs = {
      mouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, toAbsolute(screenPoint.x, width),
                 toAbsolute(screenPoint.y, height)),
      mouseInput(MOUSEEVENTF_LEFTDOWN),
      mouseInput(MOUSEEVENTF_LEFTUP),
  };
  sendInputs(inputs);
}

bool bringToFront(HWND window, int timeoutMs) {
  requireWindow(window, "bringToFront");
  const DWORD thread = threadOf(window);
  // In front, and its own thread has taken the activation (and so set its focus): only
  // then does a key stroke reach the window that the program meant to have it.
  const auto inFront = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetForegroundWindow() == window && GetGUIThreadInfo(thread, &info) &&
           info.hwndActive == window;
  };
  if (inFront()) return true;
  // Under Wine the foreground changes a moment after the call returns; hence the wait.
  SetForegroundWindow(window);
  return waitUntil(inFront, timeoutMs);
}

bool waitForFocus(HWND window, int timeoutMs) {
  requireWindow(window, "waitForFocus");
  const HWND topLevel = GetAncestor(window, GA_ROOT);
  const DWORD thread = threadOf(window);
  return waitUntil(
      [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetForegroundWindow() == topLevel && GetGUIThreadInfo(thread, &info) &&
               info.hwndActive == topLevel &&
               (info.hwndFocus == window || IsChild(window, info.hwndFocus));
      },
      timeoutMs);
}

// --- Wine ---------------------------------------------------------------------------------

bool runningUnderWine() {
  // ntdll is in every process; only Wine's exports this function.
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool keepWindowsFromWindowManager(std::wstring_view programFileName) {
  if (!runningUnderWine()) return false;
  const std::wstring path =
      L"Software\\Wine\\AppDefaults\\" + std::wstring(programFileName) + L"\\X11 Driver";
  RegistryKey key;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) fail("RegCreateKeyExW", static_cast<DWORD>(status));
  static constexpr wchar_t kNo[] = L"N";
  status = RegSetValueExW(key.get(), L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNo),
                          sizeof kNo);
  if (status != ERROR_SUCCESS) fail("RegSetValueExW", static_cast<DWORD>(status));
  return true;
}

// --- Waiting ----------------------------------------------------------------------------

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
    if (std::chrono::steady_clock::now() >= deadline) return condition();
  }
}

}  // namespace pumpcalc::e2e
