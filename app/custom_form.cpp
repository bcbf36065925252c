#include "app/custom_form.h"

#include "app/application.h"
#include "app/error_reporting.h"
#include "app/window_messages.h"
#include "platform/win32/screen.h"

namespace pumpcalc {
namespace {

constexpr int firstControlId = 100;

DWORD styleOf(const TCustomForm& form) {
  DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  switch (form.BorderStyle) {
    case bsNone:
      return style | WS_POPUP;
    case bsDialog:
      return style | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    case bsSingle:
    case bsSizeable:
      style |= WS_OVERLAPPED | WS_CAPTION;
      if (form.BorderStyle == bsSizeable) style |= WS_THICKFRAME;
      if (form.BorderIcons & biSystemMenu) {
        style |= WS_SYSMENU;
        if (form.BorderIcons & biMinimize) style |= WS_MINIMIZEBOX;
        if (form.BorderIcons & biMaximize) style |= WS_MAXIMIZEBOX;
      }
      return style;
  }
  return style;
}

int fontPoints(int height, int pixelsPerInch) { return -mulDiv(height, 72, pixelsPerInch); }
int fontHeight(int points, int pixelsPerInch) { return -mulDiv(points, pixelsPerInch, 72); }

}  // namespace

TCustomForm::TCustomForm() : PixelsPerInch(platform::screenPixelsPerInch()) {}

TCustomForm::~TCustomForm() {
  const bool wasVisible = visible();
  accessibleNames_.clear();
  destroyOwnWindow();
  if (wasVisible) Application->updateApplicationWindowVisibility();
}

TControl* TCustomForm::findControl(std::string_view name) const {
  for (const auto& control : controls_) {
    if (control->name == name) return control.get();
  }
  return nullptr;
}

int TCustomForm::measureTextHeight(const TFont& font) const {
  return platform::measureTextHeight(fontsFor(font).measured);
}

HFONT TCustomForm::fontHandle(const std::optional<TFont>& font) const {
  return fontsFor(font ? *font : Font).drawing;
}

FontCache::Fonts TCustomForm::fontsFor(const TFont& font) const {
  if (const std::optional<FontCache::Fonts> known = fonts_.find(font)) return *known;
  // The font must show every caption drawn with it.
  std::string texts;
  for (const auto& control : controls_) {
    if ((control->font ? *control->font : Font) == font) texts += control->caption;
  }
  return fonts_.add(font, texts);
}

void scaleLoadedLayout(TCustomForm& form, int screenPixelsPerInch,
                       const std::function<int(const TFont&)>& measureTextHeight) {
  if (form.PixelsPerInch == 0 || form.TextHeight <= 0) return;
  // A font that the layout changed follows the screen's density.
  const int storedPixelsPerInch = form.PixelsPerInch;
  if (form.Font.height != TCustomForm::defaultFontHeight &&
      storedPixelsPerInch != screenPixelsPerInch) {
    form.Font.height = mulDiv(form.Font.height, screenPixelsPerInch, storedPixelsPerInch);
  }
  form.PixelsPerInch = screenPixelsPerInch;
  // Controls follow the ratio of the measured text height to the stored one; equal heights
  // scale nothing, whatever the density.
  const int m = measureTextHeight(form.Font), d = form.TextHeight;
  if (m == d || m <= 0) return;
  for (const auto& control : form.controls()) {
    control->bounds =
        scaleBounds(control->bounds, m, d, control->fixedWidth(), control->fixedHeight());
    if (control->font) {
      const int points = mulDiv(fontPoints(control->font->height, screenPixelsPerInch), m, d);
      control->font->height = fontHeight(points, screenPixelsPerInch);
    }
  }
}

void TCustomForm::load() {
  loadLayout();
  scaleLoadedLayout(*this, platform::screenPixelsPerInch(),
                    [this](const TFont& font) { return measureTextHeight(font); });

  registerClass(className(), CS_DBLCLKS, nullptr, LoadCursorW(nullptr, IDC_ARROW),
                reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  createOwnWindow({.className = className(),
                   .caption = Caption,
                   .style = styleOf(*this),
                   .exStyle = BorderStyle == bsDialog ? DWORD{WS_EX_DLGMODALFRAME} : 0,
                   .left = Left,
                   .top = Top,
                   .width = Width,
                   .height = Height,
                   .parent = Application->applicationWindow()});
  if (BorderStyle == bsDialog) {
    // A dialog frame: no resizing, and only Move and Close on its system menu.
    const HMENU menu = GetSystemMenu(handle(), FALSE);
    for (UINT command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) {
      DeleteMenu(menu, command, MF_BYCOMMAND);
    }
  }
  SendMessageW(handle(), WM_SETFONT, reinterpret_cast<WPARAM>(fontHandle(std::nullopt)), FALSE);
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    controls_[i]->id = firstControlId + static_cast<int>(i);
    if (!controls_[i]->accessibleName.empty()) createAccessibleLabel(*controls_[i]);
    controls_[i]->createHandle(*this);
  }
  updateScrollBars();
  if (platform::screenReaderRunning()) nameControlsForScreenReader();
}

void TCustomForm::createAccessibleLabel(const TControl& control) {
  // Destroyed with the form's window.
  platform::createWindow({.className = L"STATIC",
                          .caption = control.accessibleName,
                          .style = WS_CHILD | SS_LEFT | SS_NOPREFIX,
                          .parent = handle()});
}

void TCustomForm::nameControlsForScreenReader() {
  for (const auto& control : controls_) {
    if (control->handle != nullptr && !control->accessibleName.empty()) {
      accessibleNames_.name(control->handle, control->accessibleName);
    }
  }
}

TCustomForm* TCustomForm::fromHandle(HWND window) noexcept {
  return dynamic_cast<TCustomForm*>(WindowObject::fromHandle(window));
}

HWND TCustomForm::createChildWindow(const TControl& control, const wchar_t* className, DWORD style,
                                    DWORD exStyle, HFONT font) {
  const RECT place = placeOf(control.bounds);
  HWND window = platform::createWindow({.className = className,
                                        .caption = control.caption,
                                        .style = WS_CHILD | WS_VISIBLE | style,
                                        .exStyle = exStyle,
                                        .left = place.left,
                                        .top = place.top,
                                        .width = control.bounds.width,
                                        .height = control.bounds.height,
                                        .parent = handle(),
                                        .controlId = static_cast<UINT_PTR>(control.id)});
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return window;
}

void TCustomForm::restoreFocus() {
  // Back to the control that had the focus, or the first one in tab order, unless the focus
  // is already inside the window.
  HWND focus = GetFocus();
  if (focus != nullptr && GetAncestor(focus, GA_ROOT) == handle()) return;
  if (IsWindow(lastFocus_)) {
    SetFocus(lastFocus_);
  } else {
    focusFirstControl();
  }
  // An edit box that gets the focus this way shows its whole text selected.
  focus = GetFocus();
  if (focus != nullptr && (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
    SendMessageW(focus, EM_SETSEL, 0, -1);
  }
}

void TCustomForm::focusFirstControl() {
  const TControl* first = nullptr;
  for (const auto& control : controls_) {
    if (control->handle != nullptr && control->tabOrder >= 0 &&
        (first == nullptr || control->tabOrder < first->tabOrder)) {
      first = control.get();
    }
  }
  if (first != nullptr) SetFocus(first->handle);
}

bool TCustomForm::handleControlKey(MSG& message) { return IsDialogMessageW(handle(), &message); }

void TCustomForm::paintControls() {
  platform::PaintScope paint(handle());
  for (const auto& control : controls_) control->paint(*this, paint.dc());
}

LRESULT TCustomForm::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      closeWindow(*this);
      return 0;
    case WM_SYSCOMMAND:
      if (platform::systemCommand(wParam) == SC_MINIMIZE && Application->mainWindow == this) {
        Application->minimizeApplication();
        return 0;
      }
      break;
    case WM_QUERYENDSESSION:
      return queryClose(*this) ? TRUE : FALSE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        restoreFocus();
        return 0;
      }
      // The control that has the focus as the window loses the activation.
      lastFocus_ = GetFocus();
      if (lastFocus_ != nullptr && GetAncestor(lastFocus_, GA_ROOT) != handle()) {
        lastFocus_ = nullptr;
      }
      break;
    case WM_PAINT:
      paintControls();
      return 0;
    case WM_SIZE:
      updateScrollBars();
      break;
    case WM_SETTINGCHANGE:
      // A screen reader that starts now is given the names too.
      if (wParam == SPI_SETSCREENREADER && platform::screenReaderRunning()) {
        nameControlsForScreenReader();
      }
      break;
    case WM_HSCROLL:
      scroll(SB_HORZ, wParam);
      return 0;
    case WM_VSCROLL:
      scroll(SB_VERT, wParam);
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const auto index = static_cast<std::size_t>(id - firstControlId);
      if (id >= firstControlId && index < controls_.size()) {
        controls_[index]->command(*this, HIWORD(wParam));
      }
      return 0;
    }
    case releaseMessage:
      destroyOwnWindow();
      return 0;
    default:
      break;
  }
  return defaultProcessing(message, wParam, lParam);
}

// The error net of every message: an error ends the message's handling, is reported, and
// the program goes on.
void TCustomForm::reportMessageError() noexcept { reportError(); }

}  // namespace pumpcalc
