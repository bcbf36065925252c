#include "app/application.h"

#include "app/error_reporting.h"
#include "platform/locale.h"
#include "platform/module_lookup.h"
#include "platform/win32/gdi.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/modal_scope.h"
#include "platform/win32/screen.h"

namespace pumpcalc {

TApplication* Application = nullptr;

namespace {

// Posted to the application window when it receives the focus: the focus moves on to the
// program's top window once the queued messages have been handled.
constexpr UINT handFocusMessage = WM_APP + 2;
// A captioned pop-up that can be minimised: the taskbar button and its menu.
constexpr DWORD applicationWindowStyle =
    WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

HICON loadApplicationIcon() {
  if (HICON icon = platform::programIcon(L"MAINICON")) return icon;
  return platform::systemIcon(IDI_APPLICATION);
}

// The regional settings may have changed: the next conversion uses them.
void reloadLocaleSettings() {
  platform::useUserDefaultLocale();
  platform::loadLocaleNumberSettings();
}

}  // namespace

TApplication::TApplication() : startupShowCommand(platform::startupShowCommand()) {
  registerClass(L"TApplication");
  platform::WindowParams params;
  params.className = L"TApplication";
  params.caption = deriveApplicationTitle(platform::programFileName());
  params.style = applicationWindowStyle;
  params.left = platform::screenWidth() / 2;
  params.top = platform::screenHeight() / 2;
  createOwnWindow(params);

  platform::setWindowIcon(applicationWindow(), loadApplicationIcon());
  // The taskbar button's menu offers Restore, Minimize and Close only.
  platform::removeSystemMenuCommands(applicationWindow(), {SC_MAXIMIZE, SC_SIZE, SC_MOVE});

  taskbarCreatedMessage_ = platform::registeredMessage(L"TaskbarCreated");
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
  if (platform::takeMessage(message)) {
    if (message.message == WM_QUIT) {
      stopRequested = true;
    } else {
      dispatch(message);
    }
    return;
  }
  // Idle: nothing of the program's own waits for it; then block until a message comes.
  runInErrorNet([] {});
  platform::waitForMessage();
}

void TApplication::dispatch(MSG& message) {
  if (platform::isKeyboardMessage(message.message) && message.hwnd != nullptr) {
    // The program's window that holds the receiving window may take the key as a control
    // key (focus movement, default and cancel buttons, accelerators).
    TCustomForm* form = TCustomForm::fromHandle(platform::rootWindow(message.hwnd));
    if (form != nullptr && form->handleControlKey(message)) return;
  }
  platform::dispatchMessage(message);
}

void TApplication::requestTermination() { platform::postQuitMessage(0); }

bool TApplication::minimized() const noexcept { return platform::isMinimized(applicationWindow()); }

void TApplication::minimizeApplication() {
  if (minimized()) return;
  HWND app = applicationWindow();
  focusBeforeMinimize_ = platform::focusedWindow();
  HWND main = mainWindow != nullptr ? mainWindow->handle() : nullptr;
  if (main != nullptr && platform::isVisible(main) && platform::isEnabled(main)) {
    // Start the minimise animation from the main window: the application window takes its
    // place with no height, is shown and minimised; the owned windows go with it.
    RECT bounds = platform::windowBounds(main);
    bounds.bottom = bounds.top;
    platform::setWindowBounds(app, bounds, true);
    platform::activateWindow(app);
    defaultProcessing(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else {
    platform::showWindow(app, SW_SHOWMINNOACTIVE);
  }
}

void TApplication::restoreApplication() {
  if (!minimized()) return;
  HWND app = applicationWindow();
  defaultProcessing(WM_SYSCOMMAND, SC_RESTORE, 0);
  // Back to its place at the screen's centre, with no size.
  const int left = platform::screenWidth() / 2, top = platform::screenHeight() / 2;
  platform::setWindowBounds(app, {left, top, left, top});
  if (mainWindow != nullptr && !mainWindowShown_) {
    // Started minimised and never shown: now it is shown in its normal state.
    mainWindow->WindowState = wsNormal;
    mainWindow->show();
    mainWindowShown_ = true;
    platform::activateWindow(mainWindow->handle());
  }
  if (platform::isWindow(focusBeforeMinimize_)) platform::focusWindow(focusBeforeMinimize_);
}

void TApplication::updateApplicationWindowVisibility() {
  bool anyVisible = false;
  for (const auto& form : forms_) anyVisible = anyVisible || form->visible();
  HWND app = applicationWindow();
  if (anyVisible == platform::isVisible(app)) return;
  platform::setVisibleQuietly(app, anyVisible);
}

void TApplication::shutDown() {
  if (HWND app = applicationWindow()) platform::showOwnedWindows(app, false);
  while (!forms_.empty()) forms_.pop_back();  // the last created first
  mainWindow = nullptr;
}

void TApplication::handFocusToTopWindow() {
  if (minimized() || platform::focusedWindow() != applicationWindow()) return;
  if (HWND top = platform::firstThreadWindow(applicationWindow())) platform::focusWindow(top);
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
      switch (platform::systemCommand(wParam)) {
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
      reloadLocaleSettings();
      break;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam != FALSE) stopRequested = true;
      return 0;
    case WM_SETFOCUS:
      platform::postMessage(applicationWindow(), handFocusMessage);
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
