#include "ui/controls.h"

namespace pumpcalc {

void TLabel::createHandle(TCustomForm& form) {
  const SIZE extent = platform::measureText(form.fontHandle(font), caption);
  bounds.width = extent.cx;
  bounds.height = extent.cy;
}

void TLabel::paint(TCustomForm& form, HDC dc) {
  platform::drawText(dc, form.fontHandle(font), caption, form.placeOf(bounds),
                     DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP, COLOR_WINDOWTEXT);
}

void TEdit::createHandle(TCustomForm& form) {
  handle = form.createChildWindow(*this, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT,
                                  WS_EX_CLIENTEDGE, form.fontHandle(font));
  SendMessageW(handle, EM_LIMITTEXT, 0, 0);  // no limit
}

std::string TEdit::text() const { return platform::windowText(handle); }

void TEdit::setText(std::string_view text) { platform::setWindowText(handle, text); }

void TButton::createHandle(TCustomForm& form) {
  handle = form.createChildWindow(*this, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER, 0,
                                  form.fontHandle(font));
}

void TButton::command(TCustomForm&, int notification) {
  if (notification == BN_CLICKED && onClick) onClick();
}

}  // namespace pumpcalc
