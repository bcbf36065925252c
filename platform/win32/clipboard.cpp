#include "platform/win32/clipboard.h"

#include <cstring>
#include <string>
#include <utility>

#include "core/errors.h"
#include "platform/win32/os_error.h"
#include "platform/win32/text_encoding.h"
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

// Global memory, freed with the scope unless handed on.
class UniqueGlobal {
 public:
  explicit UniqueGlobal(HGLOBAL memory) noexcept : memory_(memory) {}
  ~UniqueGlobal() {
    if (memory_ != nullptr) GlobalFree(memory_);
  }
  UniqueGlobal(const UniqueGlobal&) = delete;
  UniqueGlobal& operator=(const UniqueGlobal&) = delete;
  HGLOBAL get() const noexcept { return memory_; }
  HGLOBAL release() noexcept { return std::exchange(memory_, nullptr); }

 private:
  HGLOBAL memory_;
};

}  // namespace

void setClipboardText(std::string_view text) {
  const std::wstring wide = toUtf16(text);
  OpenedClipboard clipboard;
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes));
  if (memory.get() == nullptr) raiseLastOSError();
  void* target = GlobalLock(memory.get());
  if (target == nullptr) raiseLastOSError();
  std::memcpy(target, wide.c_str(), bytes);
  GlobalUnlock(memory.get());
  EmptyClipboard();
  if (SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr) raiseLastOSError();
  memory.release();  // the clipboard owns it now
}

}  // namespace pumpcalc::platform
