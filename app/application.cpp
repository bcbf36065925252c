#include "app/application.h"

#include "app/error_reporting.h"
#include "app/module_lookup.h"
#include "core/locale_numbers.h"
#include "platform/thread_windows.h"

namespace pumpcalc {

TApplication* Application = nullptr;

namespace {

// Posted to the application window when it receives the focus: the focus moves on to the
// program's top window once the queued messages have been handled.
constexpr UINT handFocusMessage = WM_APP + 2;
// WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
constexpr DWORD applicationWindowStyle = 0x84CA0000;

HICON loadApplicationIcon() {
  if (HICON icon = LoadIconW(platform::programInstance(), L"MAINICON")) return icon;
  return LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
}

bool isKeyboardMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

}  // namespace

TApplication::TApplication() : startupShowCommand(platform::startupShowCommand()) {
  platform::registerWindowClass(L"TApplication", windowProcedure);
  platform::WindowParams params;
  params.className = L"TApplication";
  params.caption = deriveApplicationTitle(programFileName());
  params.style = applicationWindowStyle;
  params.left = platform::screenWidth() / 2;
  params.top = platform::screenHeight() / 2;
  params.createParameter = this;
  window_ = platform::UniqueWindow(platform::createWindow(params));

  const HICON icon = loadApplicationIcon();
  SendMessageW(applicationWindow(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SetClassLongPtrW(applicationWindow(), GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
  // The taskbar button's menu offers Restore, Minimize and Close only.
  platform::removeSystemMenuCommands(applicationWindow(), {SC_MAXIMIZE, SC_SIZE, SC_MOVE});

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
  if (isKeyboardMessage(message.message) && message.hwnd != nullptr) {
    // The program's window that holds the receiving window may take the key as a control
    // key (focus movement, default and cancel buttons, accelerators).
    TCustomForm* form = TCustomForm::fromHandle(GetAncestor(message.hwnd, GA_ROOT));
    if (form != nullptr && form->handleControlKey(message)) return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void TApplication::requestTermination() { PostQuitMessage(0); }

bool TApplication::minimized() const noexcept { return IsIconic(applicationWindow()) != FALSE; }

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
    DefWindowProcW(app, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else {
    ShowWindow(app, SW_SHOWMINNOACTIVE);
  }
}

void TApplication::restoreApplication() {
  if (!minimized()) return;
  HWND app = applicationWindow();
  DefWindowProcW(app, WM_SYSCOMMAND, SC_RESTORE, 0);
  SetWindowPos(app, nullptr, platform::screenWidth() / 2, platform::screenHeight() / 2, 0, 0,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (mainWindow != nullptr && !mainWindowShown_) {
    // Started minimised and never shown: now it is shown in its normal state.
    mainWindow->WindowState = wsNormal;
    mainWindow->show();
    mainWindowShown_ = true;
    SetActiveWindow(mainWindow->handle());
  }
  if (focusBeforeMinimize_ != nullptr && IsWindow(focusBeforeMinimize_)) {
    SetFocus(focusBeforeMinimize_);
  }
}

void TApplication::updateApplicationWindowVisibility() {
  bool anyVisible = false;
  for (const auto& form : forms_) anyVisible = anyVisible || form->visible();
  HWND app = applicationWindow();
  if (anyVisible == (IsWindowVisible(app) != FALSE)) return;
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
  HWND app = applicationWindow();
  if (message == taskbarCreatedMessage_ && message != 0) {
    SetThreadLocale(LOCALE_USER_DEFAULT);
    loadLocaleNumberSettings();
    return DefWindowProcW(app, message, wParam, lParam);
  }
  switch (message) {
    case WM_CLOSE:
      if (mainWindow != nullptr) closeWindow(*mainWindow);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
          minimizeApplication();
          return 0;
        case SC_RESTORE:
          restoreApplication();
          return 0;
        default:
          break;
      }
      break;
    case WM_WININICHANGE:
      // The user's regional settings may have changed: the next conversion uses them.
      SetThreadLocale(LOCALE_USER_DEFAULT);
      loadLocaleNumberSettings();
      break;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam != FALSE) stopRequested = true;
      return 0;
    case WM_SETFOCUS:
      PostMessageW(app, handFocusMessage, 0, 0);
      return 0;
    case handFocusMessage:
      handFocusToTopWindow();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(app, message, wParam, lParam);
}

LRESULT CALLBACK TApplication::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  auto* application = platform::windowObject<TApplication>(window, message, lParam);
  if (application == nullptr || message == WM_NCCREATE) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  runInErrorNet([&] {
    // During creation the handle is not stored yet: default processing.
    result = application->applicationWindow() == window
                 ? application->handleMessage(message, wParam, lParam)
                 : DefWindowProcW(window, message, wParam, lParam);
  });
  return result;
}

}  // namespace pumpcalc
