// A batch's output lines as they are built: bytes appended to a buffer that only grows.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

namespace pumpcalc::cli {

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
    std::memcpy(room(text.size()), text.data(), text.size());
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
