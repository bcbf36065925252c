#include "ui/controls.h"

#include "platform/windows.h"

namespace pumpcalc {
namespace {

HWND createChild(TCustomForm& form, const TControl& control, const wchar_t* className, DWORD style,
                 DWORD exStyle) {
  const POINT scrolled = form.scrollOffset();
  platform::WindowParams params;
  params.className = className;
  params.caption = control.caption;
  params.style = WS_CHILD | WS_VISIBLE | style;
  params.exStyle = exStyle;
  params.left = control.bounds.left - scrolled.x;
  params.top = control.bounds.top - scrolled.y;
  params.width = control.bounds.width;
  params.height = control.bounds.height;
  params.parent = form.handle();
  params.controlId = static_cast<UINT_PTR>(control.id);
  HWND window = platform::createWindow(params);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(form.fontHandle(control.font)), FALSE);
  return window;
}

}  // namespace

void TLabel::createHandle(TCustomForm& form) {
  const SIZE extent = platform::measureText(form.fontHandle(font), caption);
  bounds.width = extent.cx;
  bounds.height = extent.cy;
}

void TLabel::paint(TCustomForm& form, HDC dc) {
  const POINT scrolled = form.scrollOffset();
  const RECT place{bounds.left - scrolled.x, bounds.top - scrolled.y,
                   bounds.left + bounds.width - scrolled.x,
                   bounds.top + bounds.height - scrolled.y};
  platform::drawText(dc, form.fontHandle(font), caption, place,
                     DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP, COLOR_WINDOWTEXT);
}

void TEdit::createHandle(TCustomForm& form) {
  handle =
      createChild(form, *this, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE);
  SendMessageW(handle, EM_LIMITTEXT, 0, 0);  // no limit
}

std::string TEdit::text() const { return platform::windowText(handle); }

void TEdit::setText(std::string_view text) { platform::setWindowText(handle, text); }

void TButton::createHandle(TCustomForm& form) {
  handle = createChild(form, *this, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER, 0);
}

void TButton::command(TCustomForm&, int notification) {
  if (notification == BN_CLICKED && onClick) onClick();
}

}  // namespace pumpcalc
