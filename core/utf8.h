// UTF-8 text: counting characters, where a character is one encoded sequence, cutting it
// between characters, and telling valid sequences from invalid ones and from ones cut short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/byte_words.h"

namespace pumpcalc {

// The UTF-8 byte-order mark that some editors and spreadsheets put before a text file's first
// line.
inline constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// Whether the byte begins a character (is not a continuation byte 10xxxxxx).
constexpr bool startsUtf8Character(char byte) noexcept {
  return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

constexpr std::size_t utf8CharacterCount(std::string_view text) noexcept {
  std::size_t count = 0;
  for (char byte : text) count += startsUtf8Character(byte) ? 1 : 0;
  return count;
}

// The longest beginning of `text` of at most `maxBytes` bytes that ends on a character
// boundary (never inside a UTF-8 sequence).
inline std::string wholeCharactersWithin(std::string text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t end = maxBytes;
  while (end > 0 && !startsUtf8Character(text[end])) --end;
  text.resize(end);
  return text;
}

// How a UTF-8 sequence begins: its length and the range of its second byte, which rules out
// overlong forms, surrogates and code points above U+10FFFF. Length 0: no sequence begins
// with this byte.
struct Utf8Lead {
  std::size_t length;
  int low, high;
};
constexpr Utf8Lead utf8Lead(unsigned char lead) noexcept {
  if (lead < 0x80) return {1, 0, 0};
  if (lead < 0xC2) return {0, 0, 0};
  if (lead < 0xE0) return {2, 0x80, 0xBF};
  if (lead < 0xF0) return {3, lead == 0xE0 ? 0xA0 : 0x80, lead == 0xED ? 0x9F : 0xBF};
  if (lead < 0xF5) return {4, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF};
  return {0, 0, 0};
}

// The length of the valid sequence at text[0] (text not empty), or 0 when there is none,
// also when `available` bytes end it too early.
constexpr std::size_t utf8SequenceLength(const unsigned char* text,
                                         std::size_t available) noexcept {
  const Utf8Lead lead = utf8Lead(text[0]);
  if (lead.length <= 1) return lead.length;
  if (available < lead.length || text[1] < lead.low || text[1] > lead.high) return 0;
  for (std::size_t i = 2; i < lead.length; ++i) {
    if ((text[i] & 0xC0) != 0x80) return 0;
  }
  return lead.length;
}

// How many bytes at the end of `text` begin a sequence that more bytes could complete: 0 to
// 3. A writer that hands text on in pieces keeps them for the next piece.
constexpr std::size_t utf8CutTail(std::string_view text) noexcept {
  const std::size_t size = text.size();
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(text[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const Utf8Lead lead = utf8Lead(byte);
    if (lead.length <= back) return 0;
    // What is there must be a valid beginning.
    if (back >= 2) {
      const auto second = static_cast<unsigned char>(text[size - back + 1]);
      if (second < lead.low || second > lead.high) return 0;
    }
    return back;
  }
  return 0;
}

// The code point of a valid sequence of `length` bytes.
constexpr char32_t utf8CodePoint(const unsigned char* text, std::size_t length) noexcept {
  if (length == 1) return text[0];
  char32_t code = text[0] & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) code = code << 6 | (text[i] & 0x3F);
  return code;
}

// Writes the UTF-8 of `code` (a scalar value) at `out` and returns the end of it.
constexpr char* writeUtf8(char32_t code, char* out) noexcept {
  if (code < 0x80) {
    *out++ = static_cast<char>(code);
  } else if (code < 0x800) {
    *out++ = static_cast<char>(0xC0 | code >> 6);
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out++ = static_cast<char>(0xE0 | code >> 12);
    *out++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | code >> 18);
    *out++ = static_cast<char>(0x80 | (code >> 12 & 0x3F));
    *out++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

// Copies the ASCII that begins at text[i] on to `out`, up to the first byte beyond ASCII or
// the end, and moves `i` and `out` past what it took.
inline void copyAscii(const char* text, std::size_t size, std::size_t& i, char*& out) noexcept {
  const std::size_t end = findFirst(text, i, size, nonAsciiBytes);
  copyBytes(out, text + i, end - i);
  out += end - i;
  i = end;
}

// What a decoder finds at a byte beyond ASCII: a character of `length` bytes, `code` 0 when
// the byte begins no valid sequence, or length 0 when the end of the input cuts short a
// sequence that more bytes could complete.
struct FoundCode {
  std::size_t length;
  char32_t code;
};

// How much of a conversion was taken and written.
struct ConvertedBytes {
  std::size_t taken, written;
};

// The loop of a decoder into UTF-8: ASCII is copied as it is, and at each other byte
// `codeAt(i)` says what stands there. A byte that begins no valid sequence becomes `mark`
// and decoding goes on at the byte after it; a sequence cut short ends the loop. The UTF-8
// goes to the start of `utf8`, made large enough (never smaller) for `perByte` bytes a byte
// read: no code may give more.
template <class CodeAt>
ConvertedBytes decodeToUtf8(std::string_view bytes, std::size_t perByte, std::string& utf8,
                            char mark, CodeAt&& codeAt) {
  const std::size_t size = bytes.size();
  if (utf8.size() < perByte * size) utf8.resize(perByte * size);
  char* const start = utf8.data();
  char* out = start;
  std::size_t i = 0;
  while (i < size) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      copyAscii(bytes.data(), size, i, out);
      continue;
    }
    const FoundCode found = codeAt(i);
    if (found.length == 0) break;
    if (found.code == 0) {
      *out++ = mark;
      ++i;
      continue;
    }
    out = writeUtf8(found.code, out);
    i += found.length;
  }
  return {i, static_cast<std::size_t>(out - start)};
}

// Where the first byte of `text` lies that begins no valid sequence (see utf8SequenceLength)
// or, with `nulEnds`, is a NUL byte; text.size() when there is none.
inline std::size_t validUtf8Length(std::string_view text, bool nulEnds = false) noexcept {
  const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
  const auto unusual = [nulEnds](std::uint64_t word) {
    return nonAsciiBytes(word) | (nulEnds ? zeroBytes(word) : 0);
  };
  for (std::size_t i = 0;;) {
    i = findFirst(text.data(), i, text.size(), unusual);
    if (i == text.size() || bytes[i] == 0) return i;
    do {  // sequence by sequence while they are beyond ASCII
      const std::size_t length = utf8SequenceLength(bytes + i, text.size() - i);
      if (length == 0) return i;
      i += length;
    } while (i < text.size() && bytes[i] >= 0x80);
  }
}

}  // namespace pumpcalc
