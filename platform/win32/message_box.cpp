#include "platform/win32/message_box.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/error_texts.h"
#include "core/system_services.h"
#include "platform/win32/gdi.h"
#include "platform/win32/screen.h"
#include "platform/win32/text_encoding.h"

namespace pumpcalc::platform {
namespace {

// The control of a message box that holds its text.
constexpr int messageTextId = 0xFFFF;
// How a message box sets its text (DT_CALCRECT is added where it is measured).
constexpr UINT messageTextFormat = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
// The flags that change a box's layout: its buttons, icon, default button, alignment.
constexpr UINT layoutFlags =
    MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK | MB_HELP | MB_RIGHT | MB_RTLREADING;

// One message box as the hook and the box's own procedure below see it: laid out to be
// measured and ended unseen, or shown.
struct WatchedBox {
  enum Mode { measure, show } mode;
  HWND window = nullptr;
  WNDPROC original = nullptr;
  // A box measured: its text control's width before the box laid itself out; that
  // control's size and the box's size after.
  int textWidthBefore = 0;
  SIZE text{};
  SIZE size{};
};

// The box of the innermost messageBoxWithin call on this thread. A hook procedure has no
// parameter of its own; this is set only while MessageBoxW runs, and a box shown while
// another one is open (an error reported during painting) saves and restores it. The box's
// window finds its WatchedBox in a property.
thread_local WatchedBox* boxToWatch = nullptr;
constexpr wchar_t watchedBoxProperty[] = L"pumpcalc.WatchedBox";

bool isMessageBox(HWND window) {
  wchar_t name[8] = {};
  return GetClassNameW(window, name, 8) > 0 && std::wstring_view(name) == L"#32770";
}

SIZE clientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

// A box to be shown is moved inside the work area of its monitor (its top-left corner at
// least, if it is larger).
void moveInsideWorkArea(HWND box) {
  RECT bounds{};
  GetWindowRect(box, &bounds);
  const RECT work = workAreaOf(box);
  const LONG width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  const LONG left = std::max(work.left, std::min(bounds.left, work.right - width));
  const LONG top = std::max(work.top, std::min(bounds.top, work.bottom - height));
  SetWindowPos(box, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The procedure of a watched box, in front of the system's own: it sees the box once it has
// laid itself out (WM_INITDIALOG has returned) and before it shows.
LRESULT CALLBACK watchedBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = static_cast<WatchedBox*>(GetPropW(window, watchedBoxProperty));
  if (box == nullptr) return DefDlgProcW(window, message, wParam, lParam);
  const WNDPROC original = box->original;
  switch (message) {
    case WM_WINDOWPOSCHANGING:
      if (box->mode == WatchedBox::measure) {
        // Never shown, never active: the system may show a box ended in WM_INITDIALOG.
        auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
        position->flags = (position->flags & ~SWP_SHOWWINDOW) | SWP_NOACTIVATE;
      }
      break;
    case WM_INITDIALOG: {
      HWND text = GetDlgItem(window, messageTextId);
      box->textWidthBefore = clientSize(text).cx;
      const LRESULT result = CallWindowProcW(original, window, message, wParam, lParam);
      if (box->mode == WatchedBox::measure) {
        box->text = clientSize(text);
        RECT bounds{};
        GetWindowRect(window, &bounds);
        box->size = {bounds.right - bounds.left, bounds.bottom - bounds.top};
        EndDialog(window, 0);
      } else {
        moveInsideWorkArea(window);
      }
      return result;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropW(window, watchedBoxProperty);
      break;
  }
  return CallWindowProcW(original, window, message, wParam, lParam);
}

// Puts the watched box's procedure in front of the system's as the box is created, and keeps
// a box laid out to be measured from taking the activation or the focus.
LRESULT CALLBACK onWindowEvent(int code, WPARAM wParam, LPARAM lParam) {
  WatchedBox* box = boxToWatch;
  HWND window = reinterpret_cast<HWND>(wParam);
  if (box != nullptr && code == HCBT_CREATEWND && box->window == nullptr && isMessageBox(window)) {
    box->window = window;
    if (SetPropW(window, watchedBoxProperty, box)) {
      box->original = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watchedBoxProcedure)));
    }
  } else if (box != nullptr && box->mode == WatchedBox::measure && box->window != nullptr &&
             (code == HCBT_ACTIVATE || code == HCBT_SETFOCUS) &&
             (window == box->window || IsChild(box->window, window))) {
    return 1;  // prevented
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The hook for the calling thread, while the scope lasts.
struct WindowEventHook : UniqueHandle<HHOOK, UnhookWindowsHookEx> {
  WindowEventHook()
      : UniqueHandle(SetWindowsHookExW(WH_CBT, onWindowEvent, nullptr, GetCurrentThreadId())) {}
};

int showWatched(WatchedBox& box, HWND owner, const std::wstring& text, const std::wstring& caption,
                UINT flags) {
  WatchedBox* const outer = std::exchange(boxToWatch, &box);
  const int answer = MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
  boxToWatch = outer;
  return answer;
}

// Chinese, Japanese and Korean characters, where a line may end between any two.
bool isIdeographic(wchar_t c) {
  return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF);
}

// Measures texts as a message box sets them: in the system's message font, on the screen.
class TextMeasure {
 public:
  explicit TextMeasure(const LOGFONTW& font)
      : font_(createFont(font)), selected_(screen_.get(), font_.get()) {}

  // The size of a text wrapped at a width.
  SIZE drawn(std::wstring_view text, int wrapWidth) const {
    RECT extent{0, 0, wrapWidth, 0};
    DrawTextW(screen_.get(), text.data(), static_cast<int>(text.size()), &extent,
              messageTextFormat | DT_CALCRECT);
    return {extent.right, extent.bottom};
  }

  // The width of a text in one line.
  long width(std::wstring_view text) const {
    SIZE extent{};
    GetTextExtentPoint32W(screen_.get(), text.data(), static_cast<int>(text.size()), &extent);
    return extent.cx;
  }

  // The size of a text wrapped at a width as the message box's own layout is expected to
  // set it, found from the widths of its characters alone: much faster than drawn() on a
  // long text, and so what the search for the longest text that fits steers by, but only
  // a forecast (drawn() decides). A line takes as many characters as fit, up to a line
  // break; where that ends inside a word it ends at the last place before where a line may
  // end (after a blank or a hyphen, before and after a Chinese, Japanese or Korean
  // character), its blanks included; where it ends at a blank, that one blank goes; a word
  // wider than the line has a line of its own.
  SIZE forecast(std::wstring_view text, int wrapWidth, int lineHeight) const {
    std::vector<int> ends(text.size());
    SIZE whole{};
    GetTextExtentExPointW(screen_.get(), text.data(), static_cast<int>(text.size()), 0, nullptr,
                          ends.data(), &whole);
    const auto width = [&](std::size_t from, std::size_t to) -> long {
      return to > from ? ends[to - 1] - (from > 0 ? ends[from - 1] : 0) : 0;
    };
    const auto isBreak = [](wchar_t c) { return c == L'\r' || c == L'\n'; };
    const auto isBlank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    const auto mayEndBefore = [&](std::size_t i) {
      return isBlank(text[i - 1]) || text[i - 1] == L'-' || isIdeographic(text[i - 1]) ||
             isIdeographic(text[i]);
    };
    const std::size_t size = text.size();
    long lines = 0, widest = 0;
    std::size_t start = 0;
    do {
      std::size_t fit = start;
      while (fit < size && !isBreak(text[fit]) && width(start, fit + 1) <= wrapWidth) ++fit;
      std::size_t end = fit, next = fit;
      if (fit < size && isBreak(text[fit])) {
        next = fit + (text[fit] == L'\r' && fit + 1 < size && text[fit + 1] == L'\n' ? 2 : 1);
      } else if (fit < size && isBlank(text[fit])) {
        next = fit + 1;
      } else if (fit < size) {
        std::size_t at = fit;
        while (at > start && !mayEndBefore(at)) --at;
        if (at > start) {
          end = next = at;
        } else {  // one word wider than the line: a line of its own, and a blank after it goes
          at = std::max(fit, start + 1);
          while (at < size && !isBreak(text[at]) && !isBlank(text[at]) && !mayEndBefore(at)) ++at;
          end = next = at;
          if (next < size && isBlank(text[next])) ++next;
        }
      }
      ++lines;
      widest = std::max(widest, width(start, end));
      start = next;
    } while (start < size);
    return {widest, lines * lineHeight};
  }

  // The average width of a character.
  long averageWidth() const {
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen_.get(), &metrics);
    return metrics.tmAveCharWidth;
  }

 private:
  ScreenDC screen_;
  UniqueGdiObject font_;
  SelectedObject selected_;
};

// How the system lays out a message box around its text: where it wraps the text and what
// it adds around it (icon, margins, buttons, frame). Learnt from one box laid out unseen, for
// each kind of box and font and screen.
struct BoxLayout {
  UINT flags = 0;
  std::wstring caption;
  LOGFONTW font{};
  SIZE workArea{};

  int wrapWidth = 0;
  SIZE around{};

  bool isFor(UINT otherFlags, const std::wstring& otherCaption, const LOGFONTW& otherFont,
             SIZE otherWorkArea) const {
    return flags == otherFlags && caption == otherCaption &&
           std::memcmp(&font, &otherFont, sizeof font) == 0 && workArea.cx == otherWorkArea.cx &&
           workArea.cy == otherWorkArea.cy;
  }
};

thread_local std::optional<BoxLayout> learntLayout;

// The layout learnt, or one with no wrap width when the box could not be measured (then
// the whole text is shown, and the next box does not try again).
BoxLayout learnLayout(UINT flags, const std::wstring& caption, const LOGFONTW& font, SIZE workArea,
                      const TextMeasure& measure) {
  // Narrow words over three widths of the screen: whatever width the box wraps at, it sets
  // them in several lines, taller than its icon, its lines filled but for one narrow word.
  const long word = std::max(1L, measure.width(L"i "));
  std::wstring sample;
  for (long width = 0; width < 3L * workArea.cx; width += word) sample += L"i ";
  WatchedBox box{WatchedBox::measure};
  showWatched(box, nullptr, sample, caption, flags);
  BoxLayout layout{flags, caption, font, workArea};
  if (box.window == nullptr || box.text.cx <= 0 || box.size.cx <= 0) return layout;
  layout.around = {box.size.cx - box.text.cx, box.size.cy - box.text.cy};
  // The box wraps at its text control's width before it laid itself out when the text
  // measured at that width comes out as the box set it; otherwise at least at the widest
  // line it set, which wraps no later than the box did.
  const SIZE atBefore = measure.drawn(sample, box.textWidthBefore);
  layout.wrapWidth =
      atBefore.cx == box.text.cx && atBefore.cy == box.text.cy ? box.textWidthBefore : box.text.cx;
  return layout;
}

// How many characters at each end of the text to keep for its box to fit the work area:
// text.whole for the whole text.
std::size_t keepWithinWorkArea(HWND owner, const ShortenableText& text, const std::wstring& caption,
                               UINT flags) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return text.whole;
  }
  // The monitor that the system centres the box on: its owner's, else the active window's.
  HWND over = owner != nullptr ? owner : GetActiveWindow();
  const RECT work = workAreaOf(over != nullptr ? over : GetDesktopWindow());
  const SIZE workArea{work.right - work.left, work.bottom - work.top};
  const TextMeasure measure(metrics.lfMessageFont);
  flags &= layoutFlags;
  if (!learntLayout || !learntLayout->isFor(flags, caption, metrics.lfMessageFont, workArea)) {
    learntLayout = learnLayout(flags, caption, metrics.lfMessageFont, workArea, measure);
  }
  const BoxLayout& layout = *learntLayout;
  if (layout.wrapWidth <= 0) return text.whole;

  const long roomWidth = workArea.cx - layout.around.cx;
  const long roomHeight = workArea.cy - layout.around.cy;
  if (roomWidth <= 0 || roomHeight <= 0) return 0;
  const long lineHeight = std::max(1L, static_cast<long>(measure.drawn(L"0", 0).cy));
  const auto share = [&](SIZE size) {
    return std::max(static_cast<double>(size.cx) / static_cast<double>(roomWidth),
                    static_cast<double>(size.cy) / static_cast<double>(roomHeight));
  };
  const auto drawnShare = [&](std::size_t keep) {
    return share(measure.drawn(toUtf16(text.keeping(keep)), layout.wrapWidth));
  };
  const auto forecastShare = [&](std::size_t keep) {
    return share(measure.forecast(toUtf16(text.keeping(keep)), layout.wrapWidth,
                                  static_cast<int>(lineHeight)));
  };
  // 1. A first guess: as many characters from each end as, of average width, would fill
  //    the room's lines to the wrap width.
  const long filled = roomHeight / lineHeight * std::min<long>(layout.wrapWidth, roomWidth);
  const auto estimate = static_cast<std::size_t>(filled / std::max(1L, measure.averageWidth()) / 2);
  // 2. The longest text that fits by the forecast.
  const std::size_t forecast = longestFitting(0, text.whole, estimate, forecastShare);
  // 3. What the box does decides: the forecast when it fits and one more character at each
  //    end does not; else the search goes on, from there, by drawn texts alone.
  if (forecast > 0 && drawnShare(forecast) > 1) {
    return longestFitting(0, forecast - 1, forecast - 1, drawnShare);
  }
  if (forecast == text.whole || drawnShare(forecast + 1) > 1) return forecast;
  return longestFitting(forecast + 1, text.whole, forecast + 2, drawnShare);
}

}  // namespace

int messageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags) {
  return MessageBoxW(owner, toUtf16(text).c_str(), toUtf16(caption).c_str(), flags);
}

int messageBoxWithin(HWND owner, const ShortenableText& text, std::string_view caption,
                     UINT flags) {
  const std::wstring wideCaption = toUtf16(caption);
  WindowEventHook hook;
  if (!hook) {
    return MessageBoxW(owner, toUtf16(text.wholeText()).c_str(), wideCaption.c_str(), flags);
  }
  std::size_t keep = text.whole;
  try {
    keep = keepWithinWorkArea(owner, text, wideCaption, flags);
  } catch (...) {
    // Nothing to measure with (no font, no memory): the whole text, inside the work area as
    // far as it goes.
  }
  WatchedBox shown{WatchedBox::show};
  return showWatched(shown, owner, toUtf16(text.keeping(keep)), wideCaption, flags);
}

void reportRuntimeErrorsInBox() noexcept {
  SystemServices services = systemServices();
  services.runtimeErrorExit = [](int number, std::uintptr_t address) {
    messageBox(nullptr, runtimeErrorText(number, address), "Error", MB_OK);
    std::exit(number);
  };
  pumpcalc::installSystemServices(services);
}

}  // namespace pumpcalc::platform
