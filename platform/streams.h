// The C streams of a console program as the user meets them. On Windows a stream that is a
// console carries characters: it is written in UTF-16 (WriteConsoleW), whatever the console's
// code page, and read so (ReadConsoleW); the program's side is UTF-8. A file or a pipe, and
// every stream elsewhere, passes its bytes unchanged.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace pumpcalc::platform {

class InputStream {
 public:
  // Asks once whether `stream` (open in binary mode) is a console.
  explicit InputStream(std::FILE* stream);
  ~InputStream();
  InputStream(const InputStream&) = delete;
  InputStream& operator=(const InputStream&) = delete;

  std::FILE* stream() const noexcept { return stream_; }
  // Whether it carries typed characters rather than bytes.
  bool isConsole() const noexcept { return console_ != nullptr; }

  // Up to `size` bytes into `buffer` (size at least 4): their count, 0 at the end of the
  // input (at a console: Ctrl+Z at the start of a line). False when reading fails, with the
  // system's reason in `error`.
  bool read(char* buffer, std::size_t size, std::size_t& count, std::string& error);

 private:
  // read() of the C stream, where it is no console.
  bool readBytes(char* buffer, std::size_t size, std::size_t& count, std::string& error);

  struct Console;
  std::FILE* stream_;
  std::unique_ptr<Console> console_;
};

class OutputStream {
 public:
  // Asks once whether `stream` (open in binary mode) is a console.
  explicit OutputStream(std::FILE* stream);
  ~OutputStream();
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;

  std::FILE* stream() const noexcept { return stream_; }
  // Whether it shows characters rather than keeping bytes.
  bool isConsole() const noexcept { return console_ != nullptr; }

  // Writes all of `bytes`; to a console as the characters of their UTF-8, a sequence that
  // the end of `bytes` cuts being completed by the next write. False when writing fails,
  // with the system's reason in `error`.
  bool write(std::string_view bytes, std::string& error);
  // Hands everything written so far to the system (a sequence still cut short at a console
  // waits for its rest). False, with `error`, when that fails.
  bool flush(std::string& error);

 private:
  // write() and flush() of the C stream, where it is no console.
  bool writeBytes(std::string_view bytes, std::string& error);
  bool flushBytes(std::string& error);

  struct Console;
  std::FILE* stream_;
  std::unique_ptr<Console> console_;
};

// Standard input, output and error.
struct StandardStreams {
  InputStream input{stdin};
  OutputStream output{stdout};
  OutputStream error{stderr};
};

}  // namespace pumpcalc::platform
