// Closing a window and running it modally: one close protocol, closeAction, serves both.
#include "app/application.h"
#include "app/custom_form.h"
#include "app/error_reporting.h"
#include "app/window_messages.h"
#include "core/errors.h"
#include "platform/win32/modal_scope.h"

namespace pumpcalc {

bool queryClose(TCustomForm& form) {
  bool canClose = true;
  if (form.OnCloseQuery) form.OnCloseQuery(form, canClose);
  return canClose;
}

namespace {

// The close protocol of every window, normal or modal: OnCloseQuery may refuse, and then the
// window stays (caNone); else OnClose may change the action from caHide.
TCloseAction closeAction(TCustomForm& form) {
  if (!queryClose(form)) return caNone;
  TCloseAction action = caHide;
  if (form.OnClose) form.OnClose(form, action);
  return action;
}

}  // namespace

void closeWindow(TCustomForm& form) {
  // A modal window's run ends it: its loop sees the result and takes the protocol's steps.
  if (form.isModal()) {
    form.ModalResult = mrCancel;
    return;
  }
  const TCloseAction action = closeAction(form);
  if (action == caNone) return;
  if (&form == Application->mainWindow) {
    Application->requestTermination();
  } else if (action == caHide) {
    form.hide();
  } else if (action == caMinimize) {
    ShowWindow(form.handle(), SW_MINIMIZE);
  } else {
    PostMessageW(form.handle(), releaseMessage, 0, 0);
  }
}

TModalResult runModal(TCustomForm& form) {
  if (form.visible() || !IsWindowEnabled(form.handle()) || form.modal_) {
    throw Exception("Cannot make a visible window modal");
  }
  platform::cancelMouseCapture(true);
  form.modal_ = true;
  platform::ModalScope modal(form.handle());

  // Everything is restored however the run ends, an escaping error included; the window
  // that was active before becomes active again only if this one still was at the end.
  struct Restore {
    TCustomForm& form;
    platform::ModalScope& modal;
    ~Restore() {
      const bool stillActive = GetActiveWindow() == form.handle();
      if (form.handle() != nullptr) form.hide();
      modal.end(stillActive);
      form.modal_ = false;
    }
  } restore{form, modal};

  form.show();
  SetWindowPos(form.handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetActiveWindow(form.handle());
  form.ModalResult = mrNone;
  do {
    Application->handleNextMessage();
    if (Application->stopRequested) {
      form.ModalResult = mrCancel;
    } else if (form.ModalResult != mrNone) {
      // The window may refuse, or its close action keep it open; the run hides it.
      try {
        const TCloseAction action = closeAction(form);
        if (action == caNone) form.ModalResult = mrNone;
        if (action == caFree) PostMessageW(form.handle(), releaseMessage, 0, 0);
      } catch (...) {
        form.ModalResult = mrNone;
        reportError();
      }
    }
  } while (form.ModalResult == mrNone);
  return form.ModalResult;
}

}  // namespace pumpcalc
