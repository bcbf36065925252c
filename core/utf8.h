// Counting characters in UTF-8 text, and cutting it between characters, where a character is
// one encoded sequence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pumpcalc {

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

}  // namespace pumpcalc
