// The message dialog in process, with real windows: keys, results, clipboard, layout.
#ifdef _WIN32
#include "ui/message_dialog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/text_encoding.h"
#include "tests/support/application_test.h"
#include "ui/unit1.h"

namespace pumpcalc {
namespace {

using Step = std::function<void(HWND dialog)>;

// Steps run one at a time by a timer, which fires only when every posted message has been
// handled. Each step waits until the dialog takes input: active, with the focus inside it
// (under load Wine activates a window a while after it shows). If that does not come in
// time, the run ends with a failure that says so instead of sending keys that would go
// astray. When the steps are done the run ends with stillOpen, so that a dialog that stays
// open shows as a failure instead of a hang.
constexpr TModalResult stillOpen = 99;
constexpr auto focusDeadline = std::chrono::seconds(30);

struct Script {
  std::vector<Step> steps;
  std::size_t next = 0;
  std::optional<std::chrono::steady_clock::time_point> waitingSince;
};
Script* activeScript = nullptr;

bool takesInput(HWND dialog) {
  const HWND focus = GetFocus();
  return GetActiveWindow() == dialog && focus != nullptr && GetAncestor(focus, GA_ROOT) == dialog;
}

void CALLBACK runNextStep(HWND, UINT, UINT_PTR, DWORD) {
  // The test's dialog: the only one that exists.
  HWND dialog = FindWindowW(L"TMessageForm", nullptr);
  TCustomForm* form = TCustomForm::fromHandle(dialog);
  if (form == nullptr) return;
  Script& script = *activeScript;
  if (!takesInput(dialog)) {
    const auto now = std::chrono::steady_clock::now();
    if (!script.waitingSince) script.waitingSince = now;
    if (now - *script.waitingSince < focusDeadline) return;
    ADD_FAILURE() << "the dialog was not active with the focus inside it within 30 s, before step "
                  << script.next + 1;
    form->ModalResult = stillOpen;
    return;
  }
  script.waitingSince.reset();
  if (script.next < script.steps.size()) {
    script.steps[script.next++](dialog);
  } else {
    form->ModalResult = stillOpen;
  }
}

// Runs `run` (which shows a dialog modally) with the steps acting on the dialog.
template <class Run>
TModalResult runWithSteps(std::vector<Step> steps, Run&& run) {
  Script script{std::move(steps), 0, std::nullopt};
  activeScript = &script;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, runNextStep);
  EXPECT_NE(timer, 0u);
  struct Stop {
    UINT_PTR timer;
    ~Stop() {
      KillTimer(nullptr, timer);
      activeScript = nullptr;
    }
  } stop{timer};
  return run();
}

TModalResult runDialog(TMessageForm& dialog, std::vector<Step> steps) {
  return runWithSteps(std::move(steps), [&] { return runModal(dialog); });
}

void setModifiers(bool shift, bool control, bool alt) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  const auto set = [&](std::initializer_list<int> codes, bool down) {
    for (int code : codes) keys[code] = down ? 0x80 : 0;
  };
  set({VK_SHIFT, VK_LSHIFT}, shift);
  set({VK_CONTROL, VK_LCONTROL}, control);
  set({VK_MENU, VK_LMENU}, alt);
  SetKeyboardState(keys);
}

HWND keyTarget(HWND dialog) {
  HWND focus = GetFocus();
  return focus != nullptr && GetAncestor(focus, GA_ROOT) == dialog ? focus : dialog;
}

Step key(WPARAM code, bool shift = false, bool control = false, bool alt = false) {
  return [=](HWND dialog) {
    setModifiers(shift, control, alt);
    const UINT message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    PostMessageW(keyTarget(dialog), message, code, 1);
  };
}

Step character(wchar_t typed, UINT message = WM_CHAR) {
  return [=](HWND dialog) {
    setModifiers(false, false, message == WM_SYSCHAR);
    PostMessageW(keyTarget(dialog), message, typed, 1);
  };
}

bool looksDefault(HWND button) {
  return (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

std::wstring clipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"<cannot open>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

constexpr TDialogButtons okCancel = buttonBit(dbOK) | buttonBit(dbCancel);
constexpr TDialogButtons abortRetryIgnore =
    buttonBit(dbAbort) | buttonBit(dbRetry) | buttonBit(dbIgnore);
constexpr TDialogButtons yesNoCancel = buttonBit(dbYes) | buttonBit(dbNo) | buttonBit(dbCancel);

class MessageDialogTest : public test::ApplicationTest {
 protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    setModifiers(false, false, false);
  }
  void TearDown() override {
    setModifiers(false, false, false);
    ApplicationTest::TearDown();
  }
};

TEST_F(MessageDialogTest, KeysEndAConfirmation) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    TModalResult result;
  };
  const Case cases[] = {
      {"Enter", {key(VK_RETURN)}, 1},
      {"Esc", {key(VK_ESCAPE)}, 2},
      {"Tab, Enter", {key(VK_TAB), key(VK_RETURN)}, 2},
      {"close box", {[](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }}, 2},
      {"system menu Close",
       {[](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
       2},
      {"Shift+Enter", {key(VK_RETURN, true)}, stillOpen},
      {"Ctrl+Enter", {key(VK_RETURN, false, true)}, stillOpen},
      {"Alt+Enter", {key(VK_RETURN, false, false, true)}, stillOpen},
      {"Shift+Esc", {key(VK_ESCAPE, true)}, stillOpen},
      {"Ctrl+Esc", {key(VK_ESCAPE, false, true)}, stillOpen},
      {"Shift+Enter, then Esc", {key(VK_RETURN, true), key(VK_ESCAPE)}, 2},
      {"Space",
       {key(VK_SPACE), [](HWND dialog) { PostMessageW(keyTarget(dialog), WM_KEYUP, VK_SPACE, 0); }},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto dialog = buildMessageDialog("Close?", dkConfirmation, okCancel);
    EXPECT_EQ(runDialog(*dialog, c.steps), c.result);
    EXPECT_FALSE(dialog->visible());
  }
}

TEST_F(MessageDialogTest, FocusMovesAmongTheButtonsAndWraps) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    TModalResult result;
  };
  const Case cases[] = {
      {"first button", {}, 6},
      {"Tab", {key(VK_TAB)}, 7},
      {"Tab Tab", {key(VK_TAB), key(VK_TAB)}, 2},
      {"Tab Tab Tab", {key(VK_TAB), key(VK_TAB), key(VK_TAB)}, 6},
      {"Shift+Tab", {key(VK_TAB, true)}, 2},
      {"Ctrl+Tab", {key(VK_TAB, false, true)}, 6},
      {"Right", {key(VK_RIGHT)}, 7},
      {"Down Down", {key(VK_DOWN), key(VK_DOWN)}, 2},
      {"Left", {key(VK_LEFT)}, 2},
      {"Up Up", {key(VK_UP), key(VK_UP)}, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto dialog = buildMessageDialog("Save?", dkConfirmation, yesNoCancel);
    std::vector<Step> steps = c.steps;
    steps.push_back(key(VK_RETURN));
    EXPECT_EQ(runDialog(*dialog, steps), c.result);
  }
}

TEST_F(MessageDialogTest, TheFocusedButtonLooksLikeTheDefault) {
  auto dialog = buildMessageDialog("Close?", dkConfirmation, okCancel);
  const std::vector<HWND> buttons = dialog->buttonHandles();
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_TRUE(looksDefault(buttons[0]));
  EXPECT_FALSE(looksDefault(buttons[1]));
  bool checked = false;
  const TModalResult result = runDialog(*dialog, {key(VK_TAB),
                                                  [&](HWND) {
                                                    EXPECT_EQ(GetFocus(), buttons[1]);
                                                    EXPECT_FALSE(looksDefault(buttons[0]));
                                                    EXPECT_TRUE(looksDefault(buttons[1]));
                                                    checked = true;
                                                  },
                                                  key(VK_TAB),
                                                  [&](HWND) {
                                                    EXPECT_TRUE(looksDefault(buttons[0]));
                                                    EXPECT_FALSE(looksDefault(buttons[1]));
                                                  }});
  EXPECT_TRUE(checked);
  EXPECT_EQ(result, stillOpen);
}

TEST_F(MessageDialogTest, ButtonSetsWithoutOkOrCancel) {
  struct Case {
    const char* name;
    TDialogButtons buttons;
    std::vector<Step> steps;
    TModalResult result;
  };
  const Case cases[] = {
      {"OK only: Esc", buttonBit(dbOK), {key(VK_ESCAPE)}, 1},
      {"Abort/Retry/Ignore: Enter on the first", abortRetryIgnore, {key(VK_RETURN)}, 3},
      {"Abort/Retry/Ignore: Tab, Enter", abortRetryIgnore, {key(VK_TAB), key(VK_RETURN)}, 4},
      {"Abort/Retry/Ignore: Esc", abortRetryIgnore, {key(VK_ESCAPE)}, stillOpen},
      {"Abort/Ignore: Enter", buttonBit(dbAbort) | buttonBit(dbIgnore), {key(VK_RETURN)}, 3},
      {"Yes/No: Esc", buttonBit(dbYes) | buttonBit(dbNo), {key(VK_ESCAPE)}, 7},
      {"Help: Enter does nothing", buttonBit(dbHelp), {key(VK_RETURN)}, stillOpen},
      {"accelerator r", abortRetryIgnore, {character(L'r')}, 4},
      {"accelerator R", abortRetryIgnore, {character(L'R')}, 4},
      {"Alt+i", abortRetryIgnore, {character(L'i', WM_SYSCHAR)}, 5},
      {"no accelerator x", abortRetryIgnore, {character(L'x')}, stillOpen},
      {"N&o to All by o", buttonBit(dbYes) | buttonBit(dbNoToAll), {character(L'o')}, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto dialog = buildMessageDialog("Something failed.", dkError, c.buttons);
    EXPECT_EQ(runDialog(*dialog, c.steps), c.result);
  }
}

TEST_F(MessageDialogTest, TheDefaultButtonIsDrawnAsDefaultBeforeActivation) {
  struct Case {
    TDialogButtons buttons;
    std::vector<bool> looks;
  };
  const Case cases[] = {
      {okCancel, {true, false}},
      {abortRetryIgnore, {false, true, false}},
      {buttonBit(dbAbort) | buttonBit(dbIgnore), {false, false}},
      {buttonBit(dbYes) | buttonBit(dbNo), {true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.buttons);
    auto dialog = buildMessageDialog("?", dkWarning, c.buttons);
    std::vector<bool> looks;
    for (HWND button : dialog->buttonHandles()) looks.push_back(looksDefault(button));
    EXPECT_EQ(looks, c.looks);
  }
}

TEST_F(MessageDialogTest, CtrlCCopiesTheDialogAsTextAndKeepsItOpen) {
  auto dialog = buildMessageDialog("确定要关闭吗？", dkConfirmation, okCancel);
  const std::string expected =
      "---------------------------\r\nConfirm\r\n---------------------------\r\n"
      "确定要关闭吗？\r\n---------------------------\r\nOK   Cancel   \r\n"
      "---------------------------\r\n";
  EXPECT_EQ(composeDialogText(*dialog), expected);
  platform::setClipboardText("before");
  std::wstring copied;
  const TModalResult result = runDialog(*dialog, {key('C', false, true), [&](HWND) {
                                                    setModifiers(false, false, false);
                                                    copied = clipboardText();
                                                  }});
  EXPECT_EQ(result, stillOpen);
  EXPECT_EQ(platform::toUtf8(copied), expected);
}

TEST_F(MessageDialogTest, ButtonCaptionsLoseTheirAcceleratorMarksInTheCopiedText) {
  auto dialog = buildMessageDialog("m", dkWarning, buttonBit(dbYes) | buttonBit(dbNoToAll));
  const std::string text = composeDialogText(*dialog);
  EXPECT_NE(text.find("\r\nYes   No to All   \r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nWarning\r\n"), std::string::npos) << text;
}

TEST_F(MessageDialogTest, CaptionsIconsAndControlsByKind) {
  struct Case {
    TDialogKind kind;
    std::string caption;
    bool icon;
  };
  const Case cases[] = {
      {dkWarning, "Warning", true},         {dkError, "Error", true},
      {dkInformation, "Information", true}, {dkConfirmation, "Confirm", true},
      {dkCustom, "ui_tests", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    auto dialog = buildMessageDialog("Text", c.kind, okCancel);
    EXPECT_EQ(dialog->Caption, c.caption);
    EXPECT_EQ(platform::windowText(dialog->handle()), c.caption);
    EXPECT_EQ(dialog->findControl("Image") != nullptr, c.icon);
    std::vector<std::string> names;
    for (const auto& control : dialog->controls()) names.push_back(control->name);
    std::vector<std::string> expected = {"Message", "OK", "Cancel"};
    if (c.icon) expected.insert(expected.begin(), "Image");
    EXPECT_EQ(names, expected);
    EXPECT_FALSE(dialog->visible());
    EXPECT_EQ(dialog->BorderStyle, bsDialog);
  }
}

TEST_F(MessageDialogTest, TheWindowFitsTheLayoutAndIsCentred) {
  auto dialog = buildMessageDialog("Close?", dkConfirmation, okCancel);
  const TControl* ok = dialog->findControl("OK");
  const TControl* message = dialog->findControl("Message");
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(message, nullptr);
  RECT client{};
  GetClientRect(dialog->handle(), &client);
  // The buttons end one margin above the bottom; the text starts right of the icon.
  const int vMargin = message->bounds.top;
  EXPECT_EQ(client.bottom, ok->bounds.top + ok->bounds.height + vMargin);
  EXPECT_GT(message->bounds.left, 32);
  RECT outer{};
  GetWindowRect(dialog->handle(), &outer);
  EXPECT_EQ(outer.left, GetSystemMetrics(SM_CXSCREEN) / 2 - (outer.right - outer.left) / 2);
  EXPECT_EQ(outer.top, GetSystemMetrics(SM_CYSCREEN) / 2 - (outer.bottom - outer.top) / 2);
  for (int b : {dbOK, dbCancel}) EXPECT_GT(buttonWidthCache[b], 8);
}

TEST_F(MessageDialogTest, ALongMessageWrapsAtHalfTheScreenUnlessOneWordIsLonger) {
  const int half = GetSystemMetrics(SM_CXSCREEN) / 2;
  std::string words;
  for (int i = 0; i < 200; ++i) words += "word ";
  auto wrapped = buildMessageDialog(words, dkCustom, buttonBit(dbOK));
  const Bounds text = wrapped->findControl("Message")->bounds;
  EXPECT_LE(text.width, half);
  EXPECT_GT(text.height, 3 * 13);
  RECT client{};
  GetClientRect(wrapped->handle(), &client);
  EXPECT_LE(client.right, half + 2 * text.left);

  auto wide = buildMessageDialog(std::string(400, 'W'), dkCustom, buttonBit(dbOK));
  EXPECT_GT(wide->findControl("Message")->bounds.width, half);
}

TEST_F(MessageDialogTest, ShowMessageDialogPlacesRunsAndDestroysTheDialog) {
  HWND seen = nullptr;
  RECT placed{};
  const TModalResult result =
      runWithSteps({[&](HWND dialog) {
                     seen = dialog;
                     GetWindowRect(dialog, &placed);
                     PostMessageW(keyTarget(dialog), WM_KEYDOWN, VK_ESCAPE, 1);
                   }},
                   [] { return showMessageDialog("Placed", dkInformation, okCancel, 0, 40, 50); });
  EXPECT_EQ(result, 2);
  EXPECT_EQ(placed.left, 40);
  EXPECT_EQ(placed.top, 50);
  EXPECT_FALSE(IsWindow(seen));

  std::string caption;
  const TModalResult confirmed =
      runWithSteps({[&](HWND dialog) {
                     caption = platform::windowText(dialog);
                     PostMessageW(keyTarget(dialog), WM_KEYDOWN, VK_RETURN, 1);
                   }},
                   [] { return confirmClose(); });
  EXPECT_EQ(confirmed, 1);
  EXPECT_EQ(caption, "Confirm");
}

}  // namespace
}  // namespace pumpcalc
#endif
