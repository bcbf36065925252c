// The C streams, and the console where a stream is one: UTF-16 through WriteConsoleW and
// ReadConsoleW, so that the characters show and arrive as they are in any code page.
#include "platform/streams.h"

#include <io.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/utf8.h"
#include "platform/win32/os_error.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {
namespace {

// The console behind a C stream, or null.
HANDLE consoleOf(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

constexpr wchar_t endOfInput = 0x1A;        // Ctrl+Z
constexpr std::size_t consoleChunk = 4096;  // characters a call

bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

struct InputStream::Console {
  HANDLE handle;
  std::string text;  // read and converted, not yet handed out
  std::size_t taken = 0;
  wchar_t highSurrogate = 0;  // the first half of a pair whose second half is still to come
  bool atLineStart = true, ended = false;
};

struct OutputStream::Console {
  HANDLE handle;
  std::string cut;  // the start of a sequence that the last write cut short
};

InputStream::InputStream(std::FILE* stream) : stream_(stream) {
  if (const HANDLE handle = consoleOf(stream))
    console_.reset(new Console{handle, {}, 0, 0, true, false});
}
InputStream::~InputStream() = default;

bool InputStream::read(char* buffer, std::size_t size, std::size_t& count, std::string& error) {
  if (!console_) return readBytes(buffer, size, count, error);
  Console& console = *console_;
  while (console.taken == console.text.size() && !console.ended) {
    wchar_t wide[consoleChunk + 1];
    std::size_t length = 0;
    if (console.highSurrogate != 0) wide[length++] = std::exchange(console.highSurrogate, 0);
    DWORD read = 0;
    if (!ReadConsoleW(console.handle, wide + length, static_cast<DWORD>(consoleChunk), &read,
                      nullptr)) {
      error = systemErrorText(GetLastError());
      return false;
    }
    if (read == 0) console.ended = true;
    for (const wchar_t* end = wide + length + read; wide + length < end; ++length) {
      if (console.atLineStart && wide[length] == endOfInput) {
        console.ended = true;
        break;
      }
      console.atLineStart = wide[length] == L'\n';
    }
    if (!console.ended && length > 0 && isHighSurrogate(wide[length - 1])) {
      console.highSurrogate = wide[--length];
    }
    console.text = toUtf8(std::wstring_view(wide, length));
    console.taken = 0;
  }
  count = std::min(size, console.text.size() - console.taken);
  std::memcpy(buffer, console.text.data() + console.taken, count);
  console.taken += count;
  return true;
}

OutputStream::OutputStream(std::FILE* stream) : stream_(stream) {
  if (const HANDLE handle = consoleOf(stream)) console_.reset(new Console{handle, {}});
}
OutputStream::~OutputStream() = default;

bool OutputStream::write(std::string_view bytes, std::string& error) {
  if (!console_) return writeBytes(bytes, error);
  Console& console = *console_;
  console.cut.append(bytes);
  const std::size_t whole = console.cut.size() - utf8CutTail(console.cut);
  // Invalid UTF-8 shows as U+FFFD.
  const std::wstring wide = toUtf16(std::string_view(console.cut).substr(0, whole));
  console.cut.erase(0, whole);
  for (std::size_t at = 0; at < wide.size();) {
    std::size_t length = std::min(wide.size() - at, consoleChunk);
    if (length < wide.size() - at && isHighSurrogate(wide[at + length - 1])) --length;
    DWORD written = 0;
    if (!WriteConsoleW(console_->handle, wide.data() + at, static_cast<DWORD>(length), &written,
                       nullptr) ||
        written == 0) {
      error = systemErrorText(GetLastError());
      return false;
    }
    at += written;
  }
  return true;
}

bool OutputStream::flush(std::string& error) {
  return console_ ? true : flushBytes(error);  // a console keeps nothing back
}

}  // namespace pumpcalc::platform
