// The program's own modal message dialog: a caption and an icon by kind, the message, and a
// row of push buttons, laid out in the dialog font's base units.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/custom_form.h"
#include "app/window_rules.h"
#include "platform/win32/gdi.h"

namespace pumpcalc {

enum TDialogKind { dkWarning, dkError, dkInformation, dkConfirmation, dkCustom };
enum TDialogButton {
  dbYes,
  dbNo,
  dbOK,
  dbCancel,
  dbAbort,
  dbRetry,
  dbIgnore,
  dbAll,
  dbNoToAll,
  dbYesToAll,
  dbHelp
};
// A set of buttons: bit n stands for the button n.
using TDialogButtons = std::uint16_t;
inline constexpr int dialogButtonCount = 11;

constexpr TDialogButtons buttonBit(TDialogButton button) noexcept {
  return static_cast<TDialogButtons>(1u << button);
}

// The width of each button's caption in the dialog font plus 8, measured the first time a
// dialog shows the button and reused for every later dialog; 0 until then.
extern std::array<int, dialogButtonCount> buttonWidthCache;

// The requested buttons in their order.
std::vector<TDialogButton> requestedButtons(TDialogButtons buttons);
// The button that Enter clicks: OK, else Yes, else Retry, if requested.
std::optional<TDialogButton> defaultButtonOf(TDialogButtons buttons);
// The button that Esc clicks: Cancel, else No, else OK, if requested.
std::optional<TDialogButton> cancelButtonOf(TDialogButtons buttons);
// The modal result of a button (Help: 0, it does not end the dialog).
TModalResult modalResultOf(TDialogButton button);

struct BaseUnits {
  int x = 0, y = 0;
};
// The average letter width (the extent of A-Z and a-z divided by 52) and the letter height
// of a font on the screen.
BaseUnits measureBaseUnits(HFONT font);

// Where everything of a dialog goes, in client coordinates.
struct MessageDialogLayout {
  int clientWidth = 0, clientHeight = 0;
  Bounds icon;  // all zero without an icon
  Bounds message;
  std::vector<Bounds> buttons;  // one for each entry of the button widths, in their order
};

// The layout for a text of the given extent; `buttonWidths` holds the cached caption widths
// of the requested buttons, in their order.
MessageDialogLayout layOutMessageDialog(BaseUnits units, int textWidth, int textHeight,
                                        bool hasIcon, const std::vector<int>& buttonWidths);

class TMessageForm : public TCustomForm {
 public:
  TMessageForm(std::string message, TDialogKind kind, TDialogButtons buttons);
  ~TMessageForm() override;

  const std::string& message() const noexcept { return message_; }
  // The dialog's push buttons in creation order.
  const std::vector<HWND>& buttonHandles() const noexcept { return buttonHandles_; }
  HFONT dialogFont() const noexcept { return dialogFont_; }

  bool handleControlKey(MSG& message) override;

 protected:
  void loadLayout() override;
  const wchar_t* className() const override { return L"TMessageForm"; }

 private:
  friend class TMessageButton;
  // The icon, the message and the buttons at their places of the layout.
  void addControls(const MessageDialogLayout& layout, const std::vector<std::string>& captions);
  // The parts of handleControlKey: a key pressed (with Alt: a system key), a character typed.
  bool handleKeyDown(WPARAM key, bool systemKey);
  bool handleCharacter(wchar_t typed);
  void clickButton(TDialogButton button);
  void moveFocus(bool forward);
  // The focused button looks like the default one; without a focused button the default
  // button does.
  void buttonFocusChanged(HWND button, bool gained);
  int focusedButtonIndex() const;

  std::string message_;
  TDialogKind kind_;
  TDialogButtons buttons_;
  platform::UniqueGdiObject ownFont_;  // the message font, when the system gives one
  HFONT dialogFont_ = nullptr;
  std::vector<TDialogButton> buttonOrder_;
  std::vector<HWND> buttonHandles_;
};

// The dialog for a message, loaded and hidden.
std::unique_ptr<TMessageForm> buildMessageDialog(const std::string& message, TDialogKind kind,
                                                 TDialogButtons buttons);

// Shows the dialog modally and returns the modal result of the button that ended it (2
// for the close box). Placed at left/top where they are not negative; centred on the
// screen when both are.
TModalResult showMessageDialog(const std::string& message, TDialogKind kind, TDialogButtons buttons,
                               int helpContext, int left = -1, int top = -1,
                               const std::string& helpFile = {});

// The dialog as text, as Ctrl+C copies it: caption, message and button captions between
// dividers.
std::string composeDialogText(TMessageForm& dialog);

}  // namespace pumpcalc
