// A window's scrolling: scroll bars where its controls do not fit the client area, and the
// client area moved by them.
#include <algorithm>

#include "app/custom_form.h"

namespace pumpcalc {

void TCustomForm::updateScrollBars() {
  if (!AutoScroll || BorderStyle != bsSizeable) return;
  // The extent of the controls against the client area: scroll bars where they do not fit.
  int right = 0, bottom = 0;
  for (const auto& control : controls_) {
    right = std::max(right, control->bounds.left + control->bounds.width);
    bottom = std::max(bottom, control->bounds.top + control->bounds.height);
  }
  RECT client{};
  GetClientRect(handle(), &client);
  const int extent[2] = {right, bottom};
  const int page[2] = {client.right, client.bottom};
  for (int bar : {SB_HORZ, SB_VERT}) {
    SCROLLINFO state{};
    state.cbSize = sizeof state;
    state.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    state.nMax = extent[bar] > page[bar] ? extent[bar] - 1 : 0;
    state.nPage = extent[bar] > page[bar] ? static_cast<UINT>(page[bar]) : 0;
    state.nPos = std::min(scroll_[bar], std::max(0, extent[bar] - page[bar]));
    if (state.nPos != scroll_[bar]) scroll(bar, MAKEWPARAM(SB_THUMBPOSITION, state.nPos));
    SetScrollInfo(handle(), bar, &state, TRUE);
  }
}

void TCustomForm::scroll(int bar, WPARAM request) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  GetScrollInfo(handle(), bar, &info);
  int position = scroll_[bar];
  switch (LOWORD(request)) {
    case SB_LINEUP:
      position -= 8;
      break;
    case SB_LINEDOWN:
      position += 8;
      break;
    case SB_PAGEUP:
      position -= static_cast<int>(info.nPage);
      break;
    case SB_PAGEDOWN:
      position += static_cast<int>(info.nPage);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      position = static_cast<short>(HIWORD(request));
      break;
    default:
      return;
  }
  const int last = std::max(0, info.nMax - static_cast<int>(info.nPage) + 1);
  position = std::clamp(position, 0, last);
  const int delta = scroll_[bar] - position;
  if (delta == 0) return;
  scroll_[bar] = position;
  SetScrollPos(handle(), bar, position, TRUE);
  ScrollWindowEx(handle(), bar == SB_HORZ ? delta : 0, bar == SB_VERT ? delta : 0, nullptr, nullptr,
                 nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

}  // namespace pumpcalc
