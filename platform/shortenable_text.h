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

// The most characters to keep, in least + 1 .. most, whose text takes at most all of the
// room; `least` when none does (`least` itself fits, or is 0, which is shown regardless).
// `share(keep)` measures the text that keeps `keep` characters and tells what part of the
// room it takes (1: all of it); it grows with `keep`, about in proportion. The search starts
// at `estimate`, steers by the shares until it has a text on either side of the answer, then
// halves what lies between, so that it measures texts near the answer and only a few of them.
std::size_t longestFitting(std::size_t least, std::size_t most, std::size_t estimate,
                           const std::function<double(std::size_t keep)>& share);

}  // namespace pumpcalc::platform
