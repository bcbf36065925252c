#include "ui/message_dialog.h"

#include <algorithm>
#include <utility>

#include "app/application.h"
#include "core/errors.h"
#include "core/string_table.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/text_encoding.h"

namespace pumpcalc {

std::array<int, dialogButtonCount> buttonWidthCache{};

namespace {

constexpr int iconSize = 32;

constexpr const char* buttonNames[dialogButtonCount] = {
    "Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"};
constexpr StringId buttonCaptionIds[dialogButtonCount] = {
    sYesButton,    sNoButton,  sOKButton,      sCancelButton,   sAbortButton, sRetryButton,
    sIgnoreButton, sAllButton, sNoToAllButton, sYesToAllButton, sHelpButton};
constexpr TModalResult buttonResults[dialogButtonCount] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0};

// The system icon of each kind but dkCustom.
const wchar_t* const kindIcons[] = {IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION};
constexpr StringId kindCaptions[] = {sWarningCaption, sErrorCaption, sInformationCaption,
                                     sConfirmCaption};

constexpr DWORD dialogStyle =
    WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD dialogExStyle = WS_EX_DLGMODALFRAME;

// The character after a single "&" of a caption, lower-cased (ASCII), or 0.
wchar_t acceleratorOf(const std::wstring& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    const wchar_t c = caption[i + 1];
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  }
  return 0;
}

// Draws a system icon at its place.
class TMessageImage : public TControl {
 public:
  explicit TMessageImage(HICON icon) : icon_(icon) {}
  void paint(TCustomForm& form, HDC dc) override {
    if (icon_ == nullptr) return;
    const RECT place = form.placeOf(bounds);
    DrawIconEx(dc, place.left, place.top, icon_, iconSize, iconSize, 0, nullptr, DI_NORMAL);
  }

 private:
  HICON icon_;  // a shared system icon: not destroyed
};

// Draws the message, word-wrapped, on the button face.
class TMessageText : public TControl {
 public:
  explicit TMessageText(HFONT font) : font_(font) {}
  void paint(TCustomForm& form, HDC dc) override {
    // Without DT_NOPREFIX a single "&" underlines the next character and "&&" shows one.
    platform::drawText(dc, font_, caption, form.placeOf(bounds), DT_WORDBREAK | DT_EXPANDTABS,
                       COLOR_BTNTEXT);
  }

 private:
  HFONT font_;
};

}  // namespace

// A push button of the dialog; its click ends the dialog with the button's result.
class TMessageButton : public TControl {
 public:
  TMessageButton(TDialogButton kind, bool isDefault, HFONT font)
      : kind_(kind), default_(isDefault), font_(font) {}

  void createHandle(TCustomForm& form) override {
    // BS_NOTIFY: the form hears of focus changes, to draw the focused button as default.
    handle = form.createChildWindow(
        *this, L"BUTTON", WS_TABSTOP | BS_NOTIFY | (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0,
        font_);
    auto& dialog = static_cast<TMessageForm&>(form);
    tabOrder = static_cast<int>(dialog.buttonHandles_.size());
    dialog.buttonHandles_.push_back(handle);
  }

  void command(TCustomForm& form, int notification) override {
    auto& dialog = static_cast<TMessageForm&>(form);
    if (notification == BN_CLICKED) dialog.clickButton(kind_);
    if (notification == BN_SETFOCUS || notification == BN_KILLFOCUS) {
      dialog.buttonFocusChanged(handle, notification == BN_SETFOCUS);
    }
  }

 private:
  TDialogButton kind_;
  bool default_;
  HFONT font_;
};

std::vector<TDialogButton> requestedButtons(TDialogButtons buttons) {
  std::vector<TDialogButton> result;
  for (int b = 0; b < dialogButtonCount; ++b) {
    if (buttons & buttonBit(static_cast<TDialogButton>(b))) {
      result.push_back(static_cast<TDialogButton>(b));
    }
  }
  return result;
}

std::optional<TDialogButton> defaultButtonOf(TDialogButtons buttons) {
  for (TDialogButton b : {dbOK, dbYes, dbRetry}) {
    if (buttons & buttonBit(b)) return b;
  }
  return std::nullopt;
}

std::optional<TDialogButton> cancelButtonOf(TDialogButtons buttons) {
  for (TDialogButton b : {dbCancel, dbNo, dbOK}) {
    if (buttons & buttonBit(b)) return b;
  }
  return std::nullopt;
}

TModalResult modalResultOf(TDialogButton button) { return buttonResults[button]; }

BaseUnits measureBaseUnits(HFONT font) {
  const SIZE extent =
      platform::measureText(font, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return {extent.cx / 52, extent.cy};
}

MessageDialogLayout layOutMessageDialog(BaseUnits units, int textWidth, int textHeight,
                                        bool hasIcon, const std::vector<int>& buttonWidths) {
  const int hMargin = mulDiv(8, units.x, 4), vMargin = mulDiv(8, units.y, 8);
  const int hSpacing = mulDiv(10, units.x, 4), vSpacing = mulDiv(10, units.y, 8);
  int buttonWidth = mulDiv(50, units.x, 4);
  for (int width : buttonWidths) buttonWidth = std::max(buttonWidth, width);
  const int buttonHeight = mulDiv(14, units.y, 8);
  const int buttonSpacing = mulDiv(4, units.x, 4);

  int iconTextWidth = textWidth, iconTextHeight = textHeight;
  if (hasIcon) {
    iconTextWidth += iconSize + hSpacing;
    iconTextHeight = std::max(iconTextHeight, iconSize);
  }
  const int count = static_cast<int>(buttonWidths.size());
  const int groupWidth = count == 0 ? 0 : count * buttonWidth + (count - 1) * buttonSpacing;

  MessageDialogLayout layout;
  layout.clientWidth = std::max(iconTextWidth, groupWidth) + 2 * hMargin;
  layout.clientHeight = iconTextHeight + vSpacing + buttonHeight + 2 * vMargin;
  if (hasIcon) layout.icon = {hMargin, vMargin, iconSize, iconSize};
  layout.message = {iconTextWidth - textWidth + hMargin, vMargin, textWidth, textHeight};
  int x = (layout.clientWidth - groupWidth) / 2;
  const int top = iconTextHeight + vMargin + vSpacing;
  for (int i = 0; i < count; ++i) {
    layout.buttons.push_back({x, top, buttonWidth, buttonHeight});
    x += buttonWidth + buttonSpacing;
  }
  return layout;
}

TMessageForm::TMessageForm(std::string message, TDialogKind kind, TDialogButtons buttons)
    : message_(std::move(message)), kind_(kind), buttons_(buttons) {}

TMessageForm::~TMessageForm() {
  // The buttons use the dialog font: the window goes before the font.
  destroyOwnWindow();
}

void TMessageForm::loadLayout() {
  BorderStyle = bsDialog;
  BorderIcons = biSystemMenu;
  Position = poDesigned;
  TextHeight = 0;  // built for the screen: nothing to scale
  Caption =
      kind_ == dkCustom ? Application->applicationTitle() : loadResString(kindCaptions[kind_]);

  buttonOrder_ = requestedButtons(buttons_);
  std::vector<std::string> captions;
  std::string shownTexts = message_;
  for (TDialogButton b : buttonOrder_) {
    captions.push_back(loadResString(buttonCaptionIds[b]));
    shownTexts += captions.back();
  }

  // The dialog font is the system's message font, in a face that shows the message and the
  // button captions; without it the window's default font.
  if (std::optional<platform::SystemFont> system = platform::messageFont(shownTexts)) {
    ownFont_ = std::move(system->font);
    Font = {system->faceName, system->height};
  }
  dialogFont_ = ownFont_ ? static_cast<HFONT>(ownFont_.get()) : fontHandle(std::nullopt);

  const BaseUnits units = measureBaseUnits(dialogFont_);
  std::vector<int> widths;
  for (std::size_t i = 0; i < buttonOrder_.size(); ++i) {
    const TDialogButton b = buttonOrder_[i];
    if (buttonWidthCache[b] == 0) {
      const RECT extent =
          platform::measureDrawnText(dialogFont_, captions[i], DT_SINGLELINE | DT_LEFT);
      buttonWidthCache[b] = extent.right - extent.left + 8;
    }
    widths.push_back(buttonWidthCache[b]);
  }

  // The message wraps at half the screen's width; the measured length takes in the
  // terminating NUL as well.
  const RECT text = platform::measureDrawnText(dialogFont_, message_, DT_WORDBREAK | DT_EXPANDTABS,
                                               GetSystemMetrics(SM_CXSCREEN) / 2, true);

  const bool hasIcon = kind_ != dkCustom;
  const MessageDialogLayout layout =
      layOutMessageDialog(units, text.right, text.bottom, hasIcon, widths);

  RECT outer{0, 0, layout.clientWidth, layout.clientHeight};
  AdjustWindowRectEx(&outer, dialogStyle, FALSE, dialogExStyle);
  Width = outer.right - outer.left;
  Height = outer.bottom - outer.top;
  Left = GetSystemMetrics(SM_CXSCREEN) / 2 - Width / 2;
  Top = GetSystemMetrics(SM_CYSCREEN) / 2 - Height / 2;
  addControls(layout, captions);
}

void TMessageForm::addControls(const MessageDialogLayout& layout,
                               const std::vector<std::string>& captions) {
  if (kind_ != dkCustom) {
    auto image = std::make_unique<TMessageImage>(LoadIconW(nullptr, kindIcons[kind_]));
    image->name = "Image";
    image->bounds = layout.icon;
    controls().push_back(std::move(image));
  }
  auto label = std::make_unique<TMessageText>(dialogFont_);
  label->name = "Message";
  label->caption = message_;
  label->bounds = layout.message;
  controls().push_back(std::move(label));

  const std::optional<TDialogButton> defaultButton = defaultButtonOf(buttons_);
  for (std::size_t i = 0; i < buttonOrder_.size(); ++i) {
    const TDialogButton b = buttonOrder_[i];
    auto button = std::make_unique<TMessageButton>(b, defaultButton == b, dialogFont_);
    button->name = buttonNames[b];
    button->caption = captions[i];
    button->bounds = layout.buttons[i];
    controls().push_back(std::move(button));
  }
}

int TMessageForm::focusedButtonIndex() const {
  const auto found = std::find(buttonHandles_.begin(), buttonHandles_.end(), GetFocus());
  return found == buttonHandles_.end() ? -1 : static_cast<int>(found - buttonHandles_.begin());
}

void TMessageForm::clickButton(TDialogButton button) {
  // Help shows the help topic of the dialog's help context; the program has none.
  if (button == dbHelp) return;
  ModalResult = modalResultOf(button);
}

void TMessageForm::moveFocus(bool forward) {
  const int count = static_cast<int>(buttonHandles_.size());
  if (count == 0) return;
  const int current = focusedButtonIndex();
  int next;
  if (current < 0) {
    next = forward ? 0 : count - 1;
  } else {
    next = (current + (forward ? 1 : count - 1)) % count;
  }
  SetFocus(buttonHandles_[static_cast<std::size_t>(next)]);
}

void TMessageForm::buttonFocusChanged(HWND button, bool gained) {
  const std::optional<TDialogButton> defaultButton = defaultButtonOf(buttons_);
  for (std::size_t i = 0; i < buttonHandles_.size(); ++i) {
    const bool isDefault = defaultButton == buttonOrder_[i], isButton = buttonHandles_[i] == button;
    if (!gained && !isButton && !isDefault) continue;  // its look does not change
    const bool looksDefault = gained ? isButton : isDefault;
    SendMessageW(buttonHandles_[i], BM_SETSTYLE, looksDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                 TRUE);
  }
}

bool TMessageForm::handleControlKey(MSG& message) {
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      return handleKeyDown(message.wParam, message.message == WM_SYSKEYDOWN);
    case WM_CHAR:
    case WM_SYSCHAR:
      return handleCharacter(static_cast<wchar_t>(message.wParam));
    default:
      return false;
  }
}

bool TMessageForm::handleKeyDown(WPARAM key, bool systemKey) {
  // The modifier keys as of the message being handled.
  const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0,
             alt = GetKeyState(VK_MENU) < 0;
  switch (key) {
    case VK_RETURN: {
      if (shift || control || alt || systemKey) return true;
      const int focused = focusedButtonIndex();
      if (focused >= 0) {
        clickButton(buttonOrder_[static_cast<std::size_t>(focused)]);
      } else if (const auto b = defaultButtonOf(buttons_)) {
        clickButton(*b);
      }
      return true;
    }
    case VK_ESCAPE:
      if (shift || control || alt || systemKey) return true;
      if (const auto b = cancelButtonOf(buttons_)) clickButton(*b);
      return true;
    case VK_TAB:
      if (alt || systemKey) return false;
      if (!control) moveFocus(!shift);
      return true;
    case VK_RIGHT:
    case VK_DOWN:
    case VK_LEFT:
    case VK_UP:
      if (alt || systemKey) return false;
      moveFocus(key == VK_RIGHT || key == VK_DOWN);
      return true;
    case 'C':
      if (!control || shift || alt || systemKey) return false;
      MessageBeep(MB_OK);
      platform::setClipboardText(composeDialogText(*this));
      return true;
    default:
      return false;
  }
}

bool TMessageForm::handleCharacter(wchar_t typed) {
  if (typed < L' ') return false;
  if (typed >= L'A' && typed <= L'Z') typed = static_cast<wchar_t>(typed - L'A' + L'a');
  for (std::size_t i = 0; i < buttonOrder_.size(); ++i) {
    if (acceleratorOf(platform::toUtf16(platform::windowText(buttonHandles_[i]))) == typed) {
      clickButton(buttonOrder_[i]);
      return true;
    }
  }
  return false;
}

std::unique_ptr<TMessageForm> buildMessageDialog(const std::string& message, TDialogKind kind,
                                                 TDialogButtons buttons) {
  auto dialog = std::make_unique<TMessageForm>(message, kind, buttons);
  dialog->load();
  return dialog;
}

TModalResult showMessageDialog(const std::string& message, TDialogKind kind, TDialogButtons buttons,
                               int helpContext, int left, int top, const std::string& helpFile) {
  // The dialog is destroyed however the run ends.
  std::unique_ptr<TMessageForm> dialog = buildMessageDialog(message, kind, buttons);
  dialog->HelpContext = helpContext;
  dialog->HelpFile = helpFile;
  if (left >= 0) dialog->Left = left;
  if (top >= 0) dialog->Top = top;
  if (left < 0 && top < 0) {
    dialog->Position = poScreenCenter;
  } else {
    SetWindowPos(dialog->handle(), nullptr, dialog->Left, dialog->Top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return runModal(*dialog);
}

std::string composeDialogText(TMessageForm& dialog) {
  const std::string divider = std::string(27, '-') + "\r\n";
  std::string buttonLine;
  for (HWND button : dialog.buttonHandles()) {
    std::string caption = platform::windowText(button);
    std::erase(caption, '&');
    buttonLine += caption + "   ";
  }
  return divider + dialog.Caption + "\r\n" + divider + dialog.message() + "\r\n" + divider +
         buttonLine + "\r\n" + divider;
}

}  // namespace pumpcalc
