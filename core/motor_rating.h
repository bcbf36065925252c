// The motor to order for a pump: the smallest standard rating at or above its lower motor
// power, from the IEC preferred series or a vendor's own list.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/extended_real.h"
#include "core/wide_integer.h"

namespace pumpcalc {

struct MotorRating {
  ExtendedReal value;  // kW, as tryTextToExtended reads `text`
  std::string text;    // as the list writes it
};

struct RatingChoice {
  const MotorRating& rating;
  bool aboveLargest;  // the power exceeds every rating; `rating` is the largest
};

class MotorRatings {
 public:
  // At least one rating, in any order; equal values keep their order.
  explicit MotorRatings(std::vector<MotorRating> ratings);

  // The smallest rating whose value compares at or above `lowerMotorPower` (core's
  // compare(), so a rating equal to it in extended precision is taken), or the largest.
  RatingChoice choose(ExtendedReal lowerMotorPower) const noexcept;

  const std::vector<MotorRating>& ascending() const noexcept { return ratings_; }

 private:
  std::vector<MotorRating> ratings_;
  std::vector<u128> keys_;  // each rating's exponent and significand
};

// The IEC preferred series, 0.06 to 1000 kW, written with DecimalSeparatorChar.
MotorRatings standardMotorRatings();

struct MotorRatingsError {
  std::size_t line;  // 1-based; 0 when the text as a whole is at fault
  std::string message;
};

// A vendor's list: one rating per line, any order, read with tryTextToExtended. A leading
// UTF-8 byte-order mark, a CR before each line end and blank lines are skipped; a line that
// is not a positive number (or holds a NUL byte) is an error, and so is a list without any.
std::variant<MotorRatings, MotorRatingsError> parseMotorRatings(std::string_view text);

}  // namespace pumpcalc
