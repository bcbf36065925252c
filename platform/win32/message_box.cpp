#include "platform/win32/message_box.h"

#include <algorithm>

#include "core/utf8.h"
#include "platform/win32/gdi.h"
#include "platform/win32/screen.h"
#include "platform/win32/text_encoding.h"

namespace pumpcalc::platform {
namespace {

// One showing of a message box, as the hook below sees it.
struct Attempt {
  enum Mode {
    showIfFits,  // show the box if it fits, else dismiss it
    probe,       // only find out whether it fits, and dismiss it
    show,        // show it, as far inside the work area as it goes
  } mode;
  bool seen = false;  // the hook has met the box
  bool fits = false;
};

// The attempt of the innermost messageBoxWithin call on this thread. A hook procedure has no
// parameter of its own; this is set only while MessageBoxW runs, and a box shown while
// another one is open (an error reported during painting) saves and restores it.
thread_local Attempt* currentAttempt = nullptr;

bool isMessageBox(HWND window) {
  wchar_t name[8] = {};
  return GetClassNameW(window, name, 8) > 0 && std::wstring_view(name) == L"#32770";
}

// Sees the attempt's message box once it has laid itself out (WM_INITDIALOG has returned)
// and before it shows: a box to be shown is moved inside the work area (its top-left corner
// at least, if it is larger), one to be dismissed ends unseen.
LRESULT CALLBACK afterWindowMessage(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  Attempt* attempt = currentAttempt;
  if (code == HC_ACTION && attempt != nullptr && !attempt->seen &&
      message->message == WM_INITDIALOG && isMessageBox(message->hwnd)) {
    attempt->seen = true;
    RECT box{};
    GetWindowRect(message->hwnd, &box);
    const RECT work = workAreaOf(message->hwnd);
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    attempt->fits = width <= work.right - work.left && height <= work.bottom - work.top;
    if (attempt->mode == Attempt::probe ||
        (attempt->mode == Attempt::showIfFits && !attempt->fits)) {
      EndDialog(message->hwnd, 0);
    } else {
      const LONG left = std::max(work.left, std::min(box.left, work.right - width));
      const LONG top = std::max(work.top, std::min(box.top, work.bottom - height));
      SetWindowPos(message->hwnd, nullptr, left, top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The hook for the calling thread, while the scope lasts.
class WindowMessageHook {
 public:
  WindowMessageHook()
      : hook_(SetWindowsHookExW(WH_CALLWNDPROCRET, afterWindowMessage, nullptr,
                                GetCurrentThreadId())) {}
  ~WindowMessageHook() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  }
  WindowMessageHook(const WindowMessageHook&) = delete;
  WindowMessageHook& operator=(const WindowMessageHook&) = delete;
  bool installed() const noexcept { return hook_ != nullptr; }

 private:
  HHOOK hook_;
};

// Shows the box for one attempt and tells how it went.
int attemptBox(Attempt& attempt, HWND owner, const std::wstring& text, const std::wstring& caption,
               UINT flags) {
  Attempt* const outer = std::exchange(currentAttempt, &attempt);
  const int answer = MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
  currentAttempt = outer;
  return answer;
}

// More characters than this cannot fit any box on the work area, however narrow they are
// (at least a pixel each) and however the box wraps them.
std::size_t mostCharactersShown(HWND owner) {
  const RECT work = workAreaOf(owner != nullptr ? owner : GetDesktopWindow());
  int lineHeight = 8;
  if (std::optional<SystemFont> font = messageFont()) {
    lineHeight = std::max(lineHeight, measureTextHeight(static_cast<HFONT>(font->font.get())));
  }
  return static_cast<std::size_t>(work.right - work.left) *
         static_cast<std::size_t>((work.bottom - work.top) / lineHeight + 1);
}

}  // namespace

int messageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags) {
  return MessageBoxW(owner, toUtf16(text).c_str(), toUtf16(caption).c_str(), flags);
}

int messageBoxWithin(HWND owner, const ShortenableText& text, std::string_view caption,
                     UINT flags) {
  const std::wstring wideCaption = toUtf16(caption);
  WindowMessageHook hook;
  const std::string whole = text.wholeText();
  if (!hook.installed())
    return MessageBoxW(owner, toUtf16(whole).c_str(), wideCaption.c_str(), flags);

  const std::size_t limit = mostCharactersShown(owner);
  if (utf8CharacterCount(whole) <= limit) {
    Attempt attempt{Attempt::showIfFits};
    const int answer = attemptBox(attempt, owner, toUtf16(whole), wideCaption, flags);
    if (!attempt.seen || attempt.fits) return answer;
  }
  // The most kept at each end whose box fits, by bisection; a text kept to nothing at all
  // is shown even if it does not fit.
  std::size_t low = 0;
  std::size_t high = std::min(text.whole > 0 ? text.whole - 1 : 0, limit / 2);
  while (low < high) {
    const std::size_t keep = low + (high - low + 1) / 2;
    Attempt probe{Attempt::probe};
    attemptBox(probe, owner, toUtf16(text.keeping(keep)), wideCaption, flags);
    if (!probe.seen) break;
    if (probe.fits) {
      low = keep;
    } else {
      high = keep - 1;
    }
  }
  Attempt shown{Attempt::show};
  return attemptBox(shown, owner, toUtf16(text.keeping(low)), wideCaption, flags);
}

}  // namespace pumpcalc::platform
