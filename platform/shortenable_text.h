// A text that may be shown shortened where the whole of it would not fit.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace pumpcalc::platform {

struct ShortenableText {
  // The text keeping at most `keep` characters at each end of the part that may be cut;
  // from `whole` on, the whole text.
  std::function<std::string(std::size_t keep)> keeping;
  std::size_t whole = 0;

  std::string wholeText() const { return keeping(whole); }
};

}  // namespace pumpcalc::platform
