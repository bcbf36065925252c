// Text eight bytes at a time: a 64-bit word holds eight bytes, the first in its low byte, and
// a byte is marked by its high bit. The one finder of bytes that the readers of text share.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pumpcalc {

static_assert(std::endian::native == std::endian::little, "a word's first byte is its low byte");

inline constexpr std::uint64_t everyByte = 0x0101'0101'0101'0101u;  // 1 in each byte
inline constexpr std::uint64_t highBitOfEachByte = everyByte * 0x80;
inline constexpr std::uint64_t lowBitsOfEachByte = everyByte * 0x7F;

// Marks each zero byte of a word, exactly: no carry from one byte marks another. (Objects,
// not functions, so that a walk below that is given one calls it inline.)
inline constexpr auto zeroBytes = [](std::uint64_t word) noexcept -> std::uint64_t {
  return ~(((word & lowBitsOfEachByte) + lowBitsOfEachByte) | word | lowBitsOfEachByte);
};
// Marks each byte beyond ASCII (0x80 to 0xFF).
inline constexpr auto nonAsciiBytes = [](std::uint64_t word) noexcept -> std::uint64_t {
  return word & highBitOfEachByte;
};
// Marks each byte equal to `c`.
struct BytesEqualTo {
  explicit constexpr BytesEqualTo(char c) noexcept
      : pattern(everyByte * static_cast<unsigned char>(c)) {}
  constexpr std::uint64_t operator()(std::uint64_t word) const noexcept {
    return zeroBytes(word ^ pattern);
  }
  std::uint64_t pattern;  // c in every byte
};

// The marks of data[at, to), the last bytes of data[0, to) and fewer than eight, byte `at`'s
// in the low byte.
template <class Marks>
std::uint64_t tailMarks(const char* data, std::size_t at, std::size_t to, const Marks& marks) {
  const std::size_t count = to - at;
  std::uint64_t word = 0;
  if (to >= 8) {  // the last eight bytes, those before `at` shifted out
    std::memcpy(&word, data + to - 8, 8);
    return marks(word) >> (8 * (8 - count));
  }
  for (std::size_t i = 0; i < count; ++i) {
    word |= std::uint64_t{static_cast<unsigned char>(data[at + i])} << (8 * i);
  }
  return marks(word) & ~(~std::uint64_t{0} << (8 * count));
}

// The one walk over bytes eight at a time: calls onWord(at, found) for at = from, from + 8,
// ... below `to` until it returns false, `found` marking those bytes of data[at, at + 8) that
// lie before `to`. `marks` takes eight bytes of the data as a word and returns their marks
// (the functions above, or several ORed); it may be given bytes before `from`, never one at or
// beyond `to`. data[0, to) must be readable. Inline always: it runs for every eight bytes of
// a batch.
template <class Marks, class OnWord>
[[gnu::always_inline]] inline void forEachWord(const char* data, std::size_t from, std::size_t to,
                                               const Marks& marks, OnWord&& onWord) {
  std::size_t at = from;
  for (std::uint64_t word; to - at >= 8; at += 8) {
    std::memcpy(&word, data + at, 8);
    if (!onWord(at, marks(word))) return;
  }
  if (at != to) onWord(at, tailMarks(data, at, to, marks));
}

// Calls onMark(offset) for each byte of data[from, to) that `marks` marks, in order.
template <class Marks, class OnMark>
[[gnu::always_inline]] inline void forEachMarked(const char* data, std::size_t from, std::size_t to,
                                                 Marks marks, OnMark&& onMark) {
  forEachWord(data, from, to, marks, [&onMark](std::size_t at, std::uint64_t found) {
    for (; found != 0; found &= found - 1) onMark(at + std::countr_zero(found) / 8u);
    return true;
  });
}

// The offset of the first byte of data[from, to) that `marks` marks, or `to`.
template <class Marks>
[[gnu::always_inline]] inline std::size_t findFirst(const char* data, std::size_t from,
                                                    std::size_t to, Marks marks) noexcept {
  std::size_t first = to;
  forEachWord(data, from, to, marks, [&first](std::size_t at, std::uint64_t found) {
    if (found != 0) first = at + std::countr_zero(found) / 8u;
    return found == 0;
  });
  return first;
}

// The offset of the first `c` in data[from, to), or `to`. (The C library's memchr is a byte
// loop on some systems.)
inline std::size_t findByte(const char* data, std::size_t from, std::size_t to, char c) noexcept {
  return findFirst(data, from, to, BytesEqualTo(c));
}

// memcpy for short texts (a record, a field, a line end) in word moves that the compiler
// writes out: a call of the C library's memcpy costs more than such a copy.
inline void copyBytes(char* to, const char* from, std::size_t count) noexcept {
  if (count >= 8) {
    for (std::size_t i = 0; i + 8 < count; i += 8) std::memcpy(to + i, from + i, 8);
    std::memcpy(to + count - 8, from + count - 8, 8);  // the last eight, overlapping
  } else if (count >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + count - 4, from + count - 4, 4);
  } else {
    for (std::size_t i = 0; i < count; ++i) to[i] = from[i];
  }
}

}  // namespace pumpcalc
