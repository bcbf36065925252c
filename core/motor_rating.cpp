#include "core/motor_rating.h"

#include <algorithm>

#include "core/decimal_parse.h"
#include "core/float_unit.h"
#include "core/format_text.h"
#include "core/locale_numbers.h"
#include "core/string_table.h"
#include "core/utf8.h"

namespace pumpcalc {
namespace {

// compare() without a trace in the thread's float unit: a denormal operand raises the
// denormal flag, which is no concern of the caller's.
std::partial_ordering quietCompare(ExtendedReal a, ExtendedReal b) noexcept {
  FloatUnitState scratch;
  return compare(a, b, scratch);
}

u128 orderKey(ExtendedReal x) noexcept { return (u128{x.biasedExponent()} << 64) | x.significand; }

bool below(const MotorRating& a, const MotorRating& b) noexcept {
  return quietCompare(a.value, b.value) < 0;
}

}  // namespace

MotorRatings::MotorRatings(std::vector<MotorRating> ratings) : ratings_(std::move(ratings)) {
  std::stable_sort(ratings_.begin(), ratings_.end(), below);
  for (const MotorRating& rating : ratings_) keys_.push_back(orderKey(rating.value));
}

RatingChoice MotorRatings::choose(ExtendedReal lowerMotorPower) const noexcept {
  // Among positive values, numeric order is the order of (exponent, significand) read as
  // one integer; that finds the place in a few integer comparisons, and compare() confirms
  // it with two. Where it does not (a power that is not positive), compare() searches.
  std::size_t index = ratings_.size();
  if (!lowerMotorPower.isNegative()) {
    index = static_cast<std::size_t>(
        std::lower_bound(keys_.begin(), keys_.end(), orderKey(lowerMotorPower)) - keys_.begin());
  }
  const auto atOrAbove = [&](std::size_t i) {
    return quietCompare(ratings_[i].value, lowerMotorPower) >= 0;
  };
  const bool confirmed =
      (index == ratings_.size() || atOrAbove(index)) && (index == 0 || !atOrAbove(index - 1));
  if (!confirmed) {
    index = static_cast<std::size_t>(
        std::partition_point(ratings_.begin(), ratings_.end(),
                             [&](const MotorRating& rating) {
                               return !(quietCompare(rating.value, lowerMotorPower) >= 0);
                             }) -
        ratings_.begin());
  }
  if (index == ratings_.size()) return {ratings_.back(), true};
  return {ratings_[index], false};
}

MotorRatings standardMotorRatings() {
  static constexpr const char* series[] = {
      "0.06", "0.09", "0.12", "0.18", "0.25", "0.37", "0.55", "0.75", "1.1", "1.5", "2.2",
      "3",    "4",    "5.5",  "7.5",  "11",   "15",   "18.5", "22",   "30",  "37",  "45",
      "55",   "75",   "90",   "110",  "132",  "160",  "200",  "250",  "315", "355", "400",
      "450",  "500",  "560",  "630",  "710",  "800",  "900",  "1000"};
  std::vector<MotorRating> ratings;
  for (const char* entry : series) {
    std::string text = entry;
    std::replace(text.begin(), text.end(), '.', DecimalSeparatorChar);
    ExtendedReal value;
    tryTextToExtended(text, value);  // every entry is a number with either separator
    ratings.push_back({value, std::move(text)});
  }
  return MotorRatings(std::move(ratings));
}

std::variant<MotorRatings, MotorRatingsError> parseMotorRatings(std::string_view text) {
  if (text.starts_with(byteOrderMark)) text.remove_prefix(byteOrderMark.size());
  std::vector<MotorRating> ratings;
  for (std::size_t lineNumber = 1; !text.empty(); ++lineNumber) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.find_first_not_of(' ') == std::string_view::npos) continue;

    if (line.find('\0') != std::string_view::npos) {
      return MotorRatingsError{lineNumber, "the line holds a NUL byte"};
    }
    ExtendedReal value;
    if (!tryTextToExtended(line, value)) {
      return MotorRatingsError{lineNumber,
                               formatText(loadResString(sInvalidFloatingPointValue), {line})};
    }
    if (!(quietCompare(value, ExtendedReal{}) > 0)) {
      std::string message(1, '\'');
      message.append(line).append("' is not above zero");
      return MotorRatingsError{lineNumber, std::move(message)};
    }
    ratings.push_back({value, std::string(line)});
  }
  if (ratings.empty()) return MotorRatingsError{0, "no ratings in the list"};
  return MotorRatings(std::move(ratings));
}

}  // namespace pumpcalc
