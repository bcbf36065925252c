// The tests' random numbers: splitmix64, small, fast and fully determined by its seed, so
// that a generated case is the same on every build.
#pragma once

#include <cstdint>

namespace pumpcalc::test {

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E37'79B9'7F4A'7C15u);
    z = (z ^ (z >> 30)) * 0xBF58'476D'1CE4'E5B9u;
    z = (z ^ (z >> 27)) * 0x94D0'49BB'1331'11EBu;
    return z ^ (z >> 31);
  }
  std::uint64_t below(std::uint64_t n) { return next() % n; }
  int between(int low, int high) {  // inclusive
    return low + static_cast<int>(below(static_cast<std::uint64_t>(high - low + 1)));
  }
  bool percent(int p) { return below(100) < static_cast<std::uint64_t>(p); }

 private:
  std::uint64_t state_;
};

}  // namespace pumpcalc::test
