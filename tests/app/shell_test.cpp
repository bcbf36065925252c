// The shell's window rules, in process, with real windows (Windows only).
#ifdef _WIN32
#include <gtest/gtest.h>

#include <memory>

#include "app/application.h"
#include "app/custom_form.h"
#include "app/window_messages.h"
#include "core/errors.h"
#include "core/locale_numbers.h"
#include "tests/support/application_test.h"

namespace pumpcalc {
namespace {

class TButtonStub : public TControl {};

class TTestForm : public TCustomForm {
 public:
  int measuredTextHeight = 13;
  std::function<void(TTestForm&)> onPosted;  // runs when the loop dispatches firstUnusedMessage

 protected:
  void loadLayout() override {
    Caption = "Test";
    Left = 293;
    Top = 221;
    Width = 377;
    Height = 407;
    PixelsPerInch = 96;
    TextHeight = 13;
    auto button = std::make_unique<TButtonStub>();
    button->name = "Button1";
    button->bounds = {208, 192, 81, 25};
    button->font = TFont{"MS Sans Serif", -16};
    controls().push_back(std::move(button));
  }
  const wchar_t* className() const override { return L"TTestForm"; }
  int measureTextHeight(const TFont&) const override { return measuredTextHeight; }
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == firstUnusedMessage && onPosted) onPosted(*this);
    return TCustomForm::handleMessage(message, wParam, lParam);
  }
};

using ShellTest = test::ApplicationTest;

TEST_F(ShellTest, ControlsScaleByTheMeasuredTextHeightWhileTheWindowKeepsItsSize) {
  for (int measured : {13, 16}) {
    TTestForm form;
    form.measuredTextHeight = measured;
    form.load();
    const Bounds& button = form.findControl("Button1")->bounds;
    if (measured == 13) {
      EXPECT_EQ(button.left, 208);
      EXPECT_EQ(button.width, 81);
    } else {
      EXPECT_EQ(button.left, 256);
      EXPECT_EQ(button.top, 236);
      EXPECT_EQ(button.width, 100);
      EXPECT_EQ(button.height, 31);
    }
    RECT outer{};
    GetWindowRect(form.handle(), &outer);
    EXPECT_EQ(outer.right - outer.left, 377);
    EXPECT_EQ(outer.bottom - outer.top, 407);
  }
}

TEST_F(ShellTest, ScrollBarsAppearWhereTheControlsNoLongerFit) {
  TTestForm form;
  form.load();
  const auto hasScrollBar = [&](LONG style) {
    return (GetWindowLongW(form.handle(), GWL_STYLE) & style) != 0;
  };
  EXPECT_FALSE(hasScrollBar(WS_HSCROLL));
  EXPECT_FALSE(hasScrollBar(WS_VSCROLL));
  form.findControl("Button1")->bounds = {500, 600, 81, 25};
  SetWindowPos(form.handle(), nullptr, 0, 0, 377, 407, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageW(form.handle(), WM_SIZE, SIZE_RESTORED, 0);
  EXPECT_TRUE(hasScrollBar(WS_HSCROLL));
  EXPECT_TRUE(hasScrollBar(WS_VSCROLL));
  SendMessageW(form.handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_GT(form.scrollOffset().y, 0);
}

TEST_F(ShellTest, AScreenCentredWindowLargerThanTheScreenStartsAtTheTopLeft) {
  TTestForm form;
  form.load();
  form.Position = poScreenCenter;
  form.Width = GetSystemMetrics(SM_CXSCREEN) + 200;
  form.Height = GetSystemMetrics(SM_CYSCREEN) + 100;
  SetWindowPos(form.handle(), nullptr, 0, 0, form.Width, form.Height, SWP_NOMOVE | SWP_NOZORDER);
  form.show();
  EXPECT_EQ(form.Left, 0);
  EXPECT_EQ(form.Top, 0);
  EXPECT_EQ(form.Position, poDesigned);
}

TEST_F(ShellTest, TheApplicationWindowShowsOnlyWhileAWindowIsVisible) {
  TTestForm* main = application_->createMainWindow<TTestForm>();
  EXPECT_FALSE(IsWindowVisible(application_->applicationWindow()));
  main->show();
  EXPECT_TRUE(IsWindowVisible(application_->applicationWindow()));
  EXPECT_EQ(GetWindow(main->handle(), GW_OWNER), application_->applicationWindow());
  main->hide();
  EXPECT_FALSE(IsWindowVisible(application_->applicationWindow()));
}

TEST_F(ShellTest, ClosingTheMainWindowAsksItsHandlerThenEndsTheLoop) {
  TTestForm* main = application_->createMainWindow<TTestForm>();
  int asked = 0;
  bool allow = false;
  main->OnCloseQuery = [&](TCustomForm&, bool& canClose) {
    ++asked;
    canClose = allow;
  };
  main->show();
  SendMessageW(main->handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(main->visible());
  MSG message;
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));

  allow = true;
  // The taskbar button's Close reaches the main window through the application window.
  SendMessageW(application_->applicationWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(ShellTest, AModalRunDisablesTheOtherWindowsAndRestoresThem) {
  TTestForm* main = application_->createMainWindow<TTestForm>();
  main->show();
  SetActiveWindow(main->handle());
  TTestForm* dialog = application_->createMainWindow<TTestForm>();
  bool mainEnabledDuringRun = true;
  dialog->onPosted = [&](TTestForm& self) {
    mainEnabledDuringRun = IsWindowEnabled(main->handle()) != FALSE;
    SendMessageW(self.handle(), WM_CLOSE, 0, 0);  // the close box
  };
  PostMessageW(dialog->handle(), firstUnusedMessage, 0, 0);
  EXPECT_EQ(runModal(*dialog), mrCancel);
  EXPECT_FALSE(mainEnabledDuringRun);
  EXPECT_TRUE(IsWindowEnabled(main->handle()));
  EXPECT_FALSE(dialog->visible());
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(GetActiveWindow(), main->handle());

  // A visible window cannot be made modal.
  try {
    runModal(*main);
    ADD_FAILURE();
  } catch (const Exception& error) {
    EXPECT_EQ(error.message(), "Cannot make a visible window modal");
  }
}

TEST_F(ShellTest, ASettingsChangeReloadsTheDecimalSeparator) {
  wchar_t saved = 0;
  {
    test::DecimalSymbolChange comma(*application_, L",");
    ASSERT_TRUE(comma.changed());
    EXPECT_EQ(DecimalSeparatorChar, ',');
    saved = comma.savedSymbol();
  }
  EXPECT_EQ(DecimalSeparatorChar, static_cast<char>(saved));
  // The taskbar's restart announces itself the same way.
  DecimalSeparatorChar = '#';
  SendMessageW(application_->applicationWindow(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_EQ(DecimalSeparatorChar, static_cast<char>(saved));
}

TEST_F(ShellTest, TheTitleIsTheProgramFileName) {
  EXPECT_EQ(application_->applicationTitle(), "app_tests");
}

}  // namespace
}  // namespace pumpcalc
#endif
