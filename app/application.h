// TApplication: the application object, its hidden owner window with the taskbar button,
// the event loop, and minimising and restoring through the taskbar button.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/custom_form.h"
#include "platform/win32/window.h"

namespace pumpcalc {

class TApplication : public platform::WindowObject {
 public:
  TApplication();
  ~TApplication() override;

  HWND applicationWindow() const noexcept { return handle(); }
  // The title: the application window's caption.
  std::string applicationTitle() const;

  // Creates a window of the class, owned by the application; the first becomes the main
  // window. Errors pass on; nothing is kept of a window whose construction failed.
  template <class Form>
  Form* createMainWindow() {
    auto form = std::make_unique<Form>();
    form->load();
    Form* created = form.get();
    forms_.push_back(std::move(form));
    if (mainWindow == nullptr) mainWindow = created;
    return created;
  }

  TCustomForm* mainWindow = nullptr;
  bool stopRequested = false;
  bool running = false;
  bool showMainWindowOnRun = true;
  int startupShowCommand = SW_SHOWDEFAULT;

  // Shows the main window and handles messages until stopRequested.
  void runEventLoop();
  // One pass: dispatches one waiting message, or does the idle processing and waits.
  void handleNextMessage();
  // Posts the quit message with exit code 0.
  void requestTermination();

  void minimizeApplication();
  void restoreApplication();
  bool minimized() const noexcept;

  // Shows the application window while some window of the program is visible.
  void updateApplicationWindowVisibility();
  // Hides the owned windows and destroys every window, the last created first.
  void shutDown();

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void reportMessageError() noexcept override;
  void dispatch(MSG& message);
  void handFocusToTopWindow();

  std::vector<std::unique_ptr<TCustomForm>> forms_;
  UINT taskbarCreatedMessage_ = 0;
  bool mainWindowShown_ = false;
  HWND focusBeforeMinimize_ = nullptr;
};

// The process's application object while it exists (created and destroyed by runProgram).
extern TApplication* Application;

}  // namespace pumpcalc
