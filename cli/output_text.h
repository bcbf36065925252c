// A batch's output lines as they are built: bytes appended to a buffer that only grows.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

namespace pumpcalc::cli {

// memcpy for the short texts of a row (a record, a field, a line end), in word moves that
// the compiler writes out: a call of the C library's memcpy costs more than the copy, and
// more still where that library finds its way to the copy through several branches.
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

class OutputText {
 public:
  // At least `count` writable bytes at the end; advance() then takes those written.
  char* room(std::size_t count) {
    if (bytes_.size() - size_ < count) bytes_.resize(2 * bytes_.size() + count);
    return bytes_.data() + size_;
  }
  void advance(std::size_t count) noexcept { size_ += count; }

  void append(std::string_view text) {
    // An empty buffer may have no storage at all, and memcpy wants a valid pointer even for
    // no bytes.
    if (text.empty()) return;
    copyBytes(room(text.size()), text.data(), text.size());
    size_ += text.size();
  }
  void push_back(char c) {
    *room(1) = c;
    ++size_;
  }

  std::string_view view() const noexcept { return {bytes_.data(), size_}; }
  bool empty() const noexcept { return size_ == 0; }
  void clear() noexcept { size_ = 0; }

 private:
  std::vector<char> bytes_;
  std::size_t size_ = 0;
};

}  // namespace pumpcalc::cli
