#include "platform/shortenable_text.h"

#include <algorithm>
#include <cmath>

namespace pumpcalc::platform {

std::size_t longestFitting(std::size_t least, std::size_t most, std::size_t estimate,
                           const std::function<double(std::size_t keep)>& share) {
  // Invariant: `low` fits (or is `least`), `high` does not (or is most + 1); the answer
  // lies in [low, high).
  std::size_t low = least, high = most + 1;
  double lowShare = 0, highShare = 0;
  bool lowMeasured = false, highMeasured = false, halveNext = false;
  std::size_t keep = std::clamp(estimate, low + 1, std::max(most, low + 1));
  while (high - low > 1) {
    const std::size_t before = high - low;
    const double taken = share(keep);
    if (taken <= 1.0) {
      low = keep, lowShare = taken, lowMeasured = true;
    } else {
      high = keep, highShare = taken, highMeasured = true;
    }
    if (high - low <= 1) break;
    // Where the room would just be filled if it filled in proportion to the characters
    // kept: a little beyond that from a text that fits, a little short of it from one that
    // does not, so that the next text most likely lands on the other side; at most four
    // times as many at once, so that a text that takes almost no room is not followed by a
    // huge one.
    const double filled = taken > 0 ? static_cast<double>(keep) / taken : 4.0 * keep;
    const double proportional =
        taken <= 1.0 ? std::min(filled * 1.02 + 1, 4.0 * keep) : filled * 0.98;
    const auto inside = [&](double aim) { return aim >= low + 1.0 && aim <= high - 1.0; };
    double aim = low + (high - low) / 2;
    if (!halveNext && inside(proportional)) {
      aim = proportional;
    } else if (!halveNext && lowMeasured && highMeasured && lowShare < 1.0) {
      // Where the straight line through the two reaches a full room. (From a text that
      // fills the room exactly this points at that text: the room fills in steps there,
      // and halving finds the step.)
      aim = low + (1.0 - lowShare) / (highShare - lowShare) * static_cast<double>(high - low);
    }
    // A step that did not halve the interval is followed by a halving one: steps on the
    // shares are quick where the room fills in proportion, halving is sure where it does
    // not (a text set in whole lines takes its room in steps).
    halveNext = lowMeasured && highMeasured && !halveNext && 2 * (high - low) > before;
    keep = static_cast<std::size_t>(std::clamp(std::llround(aim), static_cast<long long>(low + 1),
                                               static_cast<long long>(high - 1)));
  }
  return low;
}

}  // namespace pumpcalc::platform
