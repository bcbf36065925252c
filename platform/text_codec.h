// Text in an encoding beside UTF-8 (a code page, GB18030), converted both ways, and the
// system's own encoding.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "core/utf8.h"

namespace pumpcalc::platform {

// What a decoder writes for each byte that begins no valid sequence of its encoding: a byte
// that UTF-8 never holds, so that the text is invalid UTF-8 just there and nowhere else.
inline constexpr char invalidSequenceMark = '\xFF';

// An encoding of text, converted to and from UTF-8 piece by piece. One object serves one
// thread.
class TextCodec {
 public:
  virtual ~TextCodec() = default;

  // The encoding's name in messages: "GB18030", "code page 936".
  virtual std::string_view name() const noexcept = 0;

  // How much of a conversion was taken and written.
  using Converted = ConvertedBytes;

  // Writes the UTF-8 of the sequences at the start of `bytes` to the start of `utf8` and
  // says how many bytes they take: all of them, or all but a sequence at the end that more
  // bytes could complete (none when `atEnd`). A byte that begins no valid sequence becomes
  // invalidSequenceMark, and decoding goes on at the byte after it. `utf8` is made large
  // enough, never smaller: a buffer used again is not filled again.
  virtual Converted decode(std::string_view bytes, bool atEnd, std::string& utf8) = 0;

  // Writes `utf8` in this encoding to the start of `bytes` (made large enough, never
  // smaller) and returns the count of bytes written. `utf8` holds whole sequences; a
  // character that the encoding lacks, or a byte of invalid UTF-8, becomes '?'.
  virtual std::size_t encode(std::string_view utf8, std::string& bytes) = 0;
};

// The system's own encoding of text: Windows' ANSI code page; elsewhere the character set of
// the user's locale (LC_CTYPE as the environment sets it). Returns null when that is UTF-8,
// and null with `error` set when it cannot be used.
std::unique_ptr<TextCodec> systemTextCodec(std::string& error);

// Whether a text file that is not UTF-8 is, as a rule, in the system's encoding: on Windows,
// whose programs save text in the ANSI code page unless told otherwise. Elsewhere the bytes
// of such a file do not tell which of many encodings they are in.
bool textFilesUseSystemEncoding() noexcept;

}  // namespace pumpcalc::platform
