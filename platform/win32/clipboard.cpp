#include "platform/win32/clipboard.h"

#include <cstring>
#include <string>

#include "core/errors.h"
#include "platform/win32/os_error.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {
namespace {

// An open clipboard, closed with the scope.
class OpenedClipboard {
 public:
  OpenedClipboard() {
    if (!OpenClipboard(nullptr)) throw Exception("Cannot open clipboard");
  }
  ~OpenedClipboard() { CloseClipboard(); }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

}  // namespace

void setClipboardText(std::string_view text) {
  const std::wstring wide = toUtf16(text);
  OpenedClipboard clipboard;
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes));
  if (!memory) raiseLastOSError();
  void* target = GlobalLock(memory.get());
  if (target == nullptr) raiseLastOSError();
  std::memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(memory.get());
  EmptyClipboard();
  if (SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr) raiseLastOSError();
  memory.release();  // the clipboard owns it now
}

}  // namespace pumpcalc::platform
