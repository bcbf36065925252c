// TCustomForm: what every window of the program is, with the window rules: its layout,
// controls, focus and messages here; placement, showing and hiding in form_placement.cpp;
// closing and the modal run in form_closing.cpp; scrolling in form_scrolling.cpp; fonts in
// font_cache.h. A window lives within the life of the application object, Application.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/font_cache.h"
#include "app/window_rules.h"
#include "platform/win32/accessible_names.h"
#include "platform/win32/gdi.h"
#include "platform/win32/window.h"

namespace pumpcalc {

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TDefaultMonitor { dmDesktop, dmPrimary, dmMainForm, dmActiveForm };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TModalResult = int;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2;

class TCustomForm;

// A control of a window's stored layout.
class TControl {
 public:
  virtual ~TControl() = default;

  std::string name;
  Bounds bounds;
  std::optional<TFont> font;  // its own font; none: the window's
  std::string caption;
  // What a screen reader calls the control (empty: nothing of its own). A hidden label
  // window with this text precedes the control's window, and where a screen reader runs the
  // name is also set on the window itself.
  std::string accessibleName;

  // Whether the control's kind fixes its height or width (an edit box's height follows its
  // font), so that scaling keeps it.
  virtual bool fixedHeight() const { return false; }
  virtual bool fixedWidth() const { return false; }
  // Creates the control's platform window, if it has one, as a child of the form's.
  virtual void createHandle(TCustomForm&) {}
  // Draws the control when the form paints, for controls without a window of their own.
  virtual void paint(TCustomForm&, HDC) {}
  // A notification from the control's window (a button's click).
  virtual void command(TCustomForm&, int /*notification*/) {}
  // Its platform window, if it has one, its identifier there, and its place in the tab
  // order (-1: none).
  HWND handle = nullptr;
  int id = 0;
  int tabOrder = -1;
};

class TCustomForm : public platform::WindowObject {
 public:
  TCustomForm();
  ~TCustomForm() override;

  // The layout's properties.
  std::string Name;
  std::string Caption;
  int Left = 0, Top = 0, Width = 320, Height = 240;
  TFormBorderStyle BorderStyle = bsSizeable;
  unsigned BorderIcons = biSystemMenu | biMinimize | biMaximize;
  TWindowState WindowState = wsNormal;
  TPosition Position = poDesigned;
  TDefaultMonitor DefaultMonitor = dmActiveForm;
  int PixelsPerInch = 0;
  int TextHeight = 0;
  bool AutoScroll = true;
  TFont Font;
  // The height of the default font, to tell whether the layout changed it.
  static constexpr int defaultFontHeight = -11;
  TModalResult ModalResult = mrNone;
  std::function<void(TCustomForm& sender, bool& canClose)> OnCloseQuery;
  std::function<void(TCustomForm& sender, TCloseAction& action)> OnClose;
  int HelpContext = 0;
  std::string HelpFile;
  bool KeyPreview = false;

  std::vector<std::unique_ptr<TControl>>& controls() { return controls_; }
  TControl* findControl(std::string_view name) const;

  // Reads the stored layout, scales it to the screen and creates the platform window,
  // hidden, with its controls.
  void load();
  // The form whose platform window this is; null for any other window.
  static TCustomForm* fromHandle(HWND window) noexcept;
  HFONT fontHandle(const std::optional<TFont>& font) const;
  // Creates the visible child window of a control of this form, of a window class ("EDIT",
  // "BUTTON") with its styles, at the control's place and with its identifier, caption and
  // the given font.
  HWND createChildWindow(const TControl& control, const wchar_t* className, DWORD style,
                         DWORD exStyle, HFONT font);
  // The hidden static text that names the control after it to screen readers: never shown,
  // no tab stop, not one of the form's controls.
  void createAccessibleLabel(const TControl& control);

  bool visible() const noexcept;
  void show();  // with the show command of its WindowState; placed on the first showing
  void hide();
  bool isModal() const noexcept { return modal_; }
  // How far the client area is scrolled, and where bounds of the layout are in it now.
  POINT scrollOffset() const noexcept { return {scroll_[0], scroll_[1]}; }
  RECT placeOf(const Bounds& b) const noexcept {
    return {b.left - scroll_[0], b.top - scroll_[1], b.left + b.width - scroll_[0],
            b.top + b.height - scroll_[1]};
  }

  // The window's answer to the control keys (Tab, arrows, Enter, Esc, accelerators) for a
  // key message of one of its windows; true when it consumed the message.
  virtual bool handleControlKey(MSG& message);

 protected:
  // Sets the layout's properties and adds its controls; called once by load().
  virtual void loadLayout() {}
  // The platform window class of the form's class.
  virtual const wchar_t* className() const { return L"TCustomForm"; }
  // The height of the text "0" in a font on the screen (measured; tests may stand in).
  virtual int measureTextHeight(const TFont& font) const;
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void reportMessageError() noexcept override;

 private:
  friend TModalResult runModal(TCustomForm& form);
  void applyPosition();  // form_placement.cpp
  void paintControls();
  // The focus when the window is activated: where it was, or on the first control.
  void restoreFocus();
  void focusFirstControl();
  // Scrolling (form_scrolling.cpp).
  void updateScrollBars();
  void scroll(int bar, WPARAM request);

  // Names the controls that have accessible names on their windows, for a screen reader.
  void nameControlsForScreenReader();

  std::vector<std::unique_ptr<TControl>> controls_;
  platform::AccessibleNames accessibleNames_;
  FontCache::Fonts fontsFor(const TFont& font) const;
  mutable FontCache fonts_;
  HWND lastFocus_ = nullptr;
  int scroll_[2] = {0, 0};  // horizontal, vertical
  bool placed_ = false;
  bool modal_ = false;
};

// Scales a freshly read layout: the font to the screen's density (if the layout changed
// it), then every control by the ratio of the measured text height to the stored one.
// `measureTextHeight` gives the height of "0" in a font on the screen.
void scaleLoadedLayout(TCustomForm& form, int screenPixelsPerInch,
                       const std::function<int(const TFont&)>& measureTextHeight);

// The request that a window close (close box, Alt+F4, system menu, an exit button).
void closeWindow(TCustomForm& form);
// True when the window may close; asks its OnCloseQuery handler.
bool queryClose(TCustomForm& form);
// Shows the window modally, runs a nested message loop and returns its ModalResult.
TModalResult runModal(TCustomForm& form);

}  // namespace pumpcalc
