#include "app/application.h"

#include "app/error_reporting.h"
#include "app/window_messages.h"
#include "platform/locale.h"
#include "platform/module_lookup.h"
#include "platform/win32/modal_scope.h"
#include "platform/win32/screen.h"

namespace pumpcalc {

TApplication* Application = nullptr;

namespace {

// A captioned pop-up that can be minimised: the taskbar button and its menu.
constexpr DWORD applicationWindowStyle =
    WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

HICON loadApplicationIcon() {
  if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON")) return icon;
  return LoadIconW(nullptr, IDI_APPLICATION);
}

// The regional settings may have changed: the next conversion uses them.
void reloadLocaleSettings() {
  platform::useUserDefaultLocale();
  platform::loadLocaleNumberSettings();
}

}  // namespace

TApplication::TApplication() : startupShowCommand(platform::startupShowCommand()) {
  registerClass(L"TApplication");
  // The title lives until the window has copied it, to the end of the statement.
  createOwnWindow({.className = L"TApplication",
                   .caption = deriveApplicationTitle(platform::programFileName()),
                   .style = applicationWindowStyle,
                   .left = GetSystemMetrics(SM_CXSCREEN) / 2,
                   .top = GetSystemMetrics(SM_CYSCREEN) / 2});

  // The icon of the taskbar button and of the class.
  const HICON icon = loadApplicationIcon();
  SendMessageW(applicationWindow(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SetClassLongPtrW(applicationWindow(), GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
  // The taskbar button's menu offers Restore, Minimize and Close only.
  const HMENU menu = GetSystemMenu(applicationWindow(), FALSE);
  for (UINT command : {SC_MAXIMIZE, SC_SIZE, SC_MOVE}) DeleteMenu(menu, command, MF_BYCOMMAND);

  taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
}

TApplication::~TApplication() { shutDown(); }

std::string TApplication::applicationTitle() const {
  std::string title = platform::windowText(applicationWindow());
  if (title.size() > 255) title.resize(255);
  return title;
}

void TApplication::runEventLoop() {
  running = true;
  struct Running {
    bool& running;
    ~Running() { running = false; }
  } clearRunning{running};
  if (mainWindow == nullptr) return;

  if (startupShowCommand == SW_SHOWMAXIMIZED) {
    mainWindow->WindowState = wsMaximized;
  } else if (startupShowCommand == SW_SHOWMINNOACTIVE) {
    mainWindow->WindowState = wsMinimized;
  }
  if (showMainWindowOnRun) {
    if (mainWindow->WindowState == wsMinimized) {
      minimizeApplication();
    } else {
      mainWindow->show();
      mainWindowShown_ = true;
    }
  }
  while (!stopRequested) runInErrorNet([this] { handleNextMessage(); });
}

void TApplication::handleNextMessage() {
  MSG message;
  if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      stopRequested = true;
    } else {
      dispatch(message);
    }
    return;
  }
  // Idle: nothing of the program's own waits for it; then block until a message comes.
  runInErrorNet([] {});
  WaitMessage();
}

void TApplication::dispatch(MSG& message) {
  if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && message.hwnd != nullptr) {
    // The program's window that holds the receiving window may take the key as a control
    // key (focus movement, default and cancel buttons, accelerators).
    TCustomForm* form = TCustomForm::fromHandle(GetAncestor(message.hwnd, GA_ROOT));
    if (form != nullptr && form->handleControlKey(message)) return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void TApplication::requestTermination() { PostQuitMessage(0); }

bool TApplication::minimized() const noexcept { return IsIconic(applicationWindow()); }

void TApplication::minimizeApplication() {
  if (minimized()) return;
  HWND app = applicationWindow();
  focusBeforeMinimize_ = GetFocus();
  HWND main = mainWindow != nullptr ? mainWindow->handle() : nullptr;
  if (main != nullptr && IsWindowVisible(main) && IsWindowEnabled(main)) {
    // Start the minimise animation from the main window: the application window takes its
    // place with no height, is shown and minimised; the owned windows go with it.
    RECT bounds{};
    GetWindowRect(main, &bounds);
    SetWindowPos(app, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, 0,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetActiveWindow(app);
    defaultProcessing(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else {
    ShowWindow(app, SW_SHOWMINNOACTIVE);
  }
}

void TApplication::restoreApplication() {
  if (!minimized()) return;
  HWND app = applicationWindow();
  defaultProcessing(WM_SYSCOMMAND, SC_RESTORE, 0);
  // Back to its place at the screen's centre, with no size.
  SetWindowPos(app, nullptr, GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2,
               0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
  if (mainWindow != nullptr && !mainWindowShown_) {
    // Started minimised and never shown: now it is shown in its normal state.
    mainWindow->WindowState = wsNormal;
    mainWindow->show();
    mainWindowShown_ = true;
    SetActiveWindow(mainWindow->handle());
  }
  if (IsWindow(focusBeforeMinimize_)) SetFocus(focusBeforeMinimize_);
}

void TApplication::updateApplicationWindowVisibility() {
  bool anyVisible = false;
  for (const auto& form : forms_) anyVisible = anyVisible || form->visible();
  HWND app = applicationWindow();
  if (anyVisible == (IsWindowVisible(app) != FALSE)) return;
  // Shown or hidden without activating it or changing its place.
  SetWindowPos(app, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                   (anyVisible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TApplication::shutDown() {
  if (HWND app = applicationWindow()) ShowOwnedPopups(app, FALSE);
  while (!forms_.empty()) forms_.pop_back();  // the last created first
  mainWindow = nullptr;
}

void TApplication::handFocusToTopWindow() {
  if (minimized() || GetFocus() != applicationWindow()) return;
  if (HWND top = platform::firstThreadWindow(applicationWindow())) SetFocus(top);
}

LRESULT TApplication::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreatedMessage_ && message != 0) {
    reloadLocaleSettings();
    return defaultProcessing(message, wParam, lParam);
  }
  switch (message) {
    case WM_CLOSE:
      if (mainWindow != nullptr) closeWindow(*mainWindow);
      return 0;
    case WM_SYSCOMMAND:
      if (platform::systemCommand(wParam) == SC_MINIMIZE) {
        minimizeApplication();
        return 0;
      }
      if (platform::systemCommand(wParam) == SC_RESTORE) {
        restoreApplication();
        return 0;
      }
      break;
    case WM_WININICHANGE:
      reloadLocaleSettings();
      break;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam != FALSE) stopRequested = true;
      return 0;
    case WM_SETFOCUS:
      PostMessageW(applicationWindow(), handFocusMessage, 0, 0);
      return 0;
    case handFocusMessage:
      handFocusToTopWindow();
      return 0;
    default:
      break;
  }
  return defaultProcessing(message, wParam, lParam);
}

void TApplication::reportMessageError() noexcept { reportError(); }

}  // namespace pumpcalc
