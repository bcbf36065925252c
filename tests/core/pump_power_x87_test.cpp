// The formula with a specific gravity and an engineer's margin against the host's x87 unit:
// every step one x87 instruction with the exceptions masked, the error read from the flags
// of the first step that raises invalid operation, division by zero or overflow. The inputs
// are generated to put each product, each rounding to a double and each quotient at the edges
// of its range: overflow of the extended format and of the double, the denormals of both.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <string>
#include <typeinfo>

#include "core/decimal_parse.h"
#include "core/errors.h"
#include "core/pump_power.h"
#include "tests/core/independent_reference.h"
#include "tests/core/test_values.h"
#include "tests/core/x87_reference.h"
#include "tests/support/rng.h"

#if PUMPCALC_HAVE_X87_REFERENCE

namespace pumpcalc {
namespace {

constexpr int bias = extendedExponentBias;

struct Inputs {
  ExtendedReal flow, head, specificGravity, efficiency, margin;
};

// What a calculation gives: the error class, or P, N, M1, M2 and the required motor power.
struct Outcome {
  std::string error;
  std::array<ExtendedReal, 5> values{};
  bool operator==(const Outcome&) const = default;
};

// How often a run reached each edge of the new steps, read from the instructions' flags.
enum Edge {
  gravityOverflow,         // H × Q × SG beyond the extended range
  gravityDenormal,         // ... or in its denormals
  doubleOverflow,          // P beyond the double's range
  doubleDenormal,          // ... or in its denormals, or zero
  marginOfDenormal,        // K × P with P a double's denormal
  marginProductOverflow,   // K × P beyond the extended range
  marginQuotientOverflow,  // (K × P) ÷ D beyond it
  edgeCount
};
using Edges = std::array<unsigned long long, edgeCount>;

// The calculation with one x87 instruction a step; the first step that raises invalid
// operation, division by zero or overflow decides the error.
Outcome hardware(const Inputs& in, Edges& edges) {
  // The constants' bits, written out here rather than taken from the code under test.
  const ExtendedReal c3672 = ExtendedReal::fromBits(false, 0x4007, 0xB799999999999999);
  const ExtendedReal c001 = ExtendedReal::fromBits(false, 0x3FF8, 0xA3D70A3D70A3D70A);
  const ExtendedReal c11 = ExtendedReal::fromBits(false, 0x3FFF, 0x8CCCCCCCCCCCCCCD);
  const ExtendedReal c12 = ExtendedReal::fromBits(false, 0x3FFF, 0x999999999999999A);
  std::string error;
  const auto step = [&](x87::Result80 r) {
    if (!error.empty()) return r.value;
    if ((r.flags & flagInvalid) != 0) {
      error = typeid(EInvalidOp).name();
    } else if ((r.flags & flagZeroDivide) != 0) {
      error = typeid(EZeroDivide).name();
    } else if ((r.flags & flagOverflow) != 0) {
      error = typeid(EOverflow).name();
    }
    return r.value;
  };
  const auto reached = [&](bool edge, Edge which) { edges[which] += error.empty() && edge; };
  const x87::Result80 withGravity =
      x87::multiply(step(x87::multiply(in.head, in.flow)), in.specificGravity);
  reached((withGravity.flags & flagOverflow) != 0, gravityOverflow);
  reached((withGravity.flags & flagUnderflow) != 0, gravityDenormal);
  const x87::Result80 stored = independent::throughDouble(step(withGravity));
  reached((stored.flags & flagOverflow) != 0, doubleOverflow);
  reached((stored.flags & flagUnderflow) != 0, doubleDenormal);
  const ExtendedReal product = step(stored);
  const ExtendedReal scaled = step(x87::multiply(in.efficiency, c3672));
  const ExtendedReal divisor = step(independent::throughDouble(step(x87::multiply(scaled, c001))));
  const ExtendedReal shaftPower = step(x87::divide(product, divisor));
  const ExtendedReal lower = step(x87::divide(step(x87::multiply(c11, product)), divisor));
  const ExtendedReal upper = step(x87::divide(step(x87::multiply(c12, product)), divisor));
  reached(product.biasedExponent() < bias - 1022 && product.significand != 0, marginOfDenormal);
  const x87::Result80 marginProduct = x87::multiply(in.margin, product);
  reached((marginProduct.flags & flagOverflow) != 0, marginProductOverflow);
  const x87::Result80 marginQuotient = x87::divide(step(marginProduct), divisor);
  reached((marginQuotient.flags & flagOverflow) != 0, marginQuotientOverflow);
  const ExtendedReal required = step(marginQuotient);
  if (!error.empty()) return {error};
  return {"", {product, shaftPower, lower, upper, required}};
}

// The thread's own unit, as the programs compute: the rounding to a double reports there.
FloatUnitState& resetUnit() {
  resetFloatUnit();
  return floatUnit();
}

Outcome software(const Inputs& in) {
  FloatUnitState& unit = resetUnit();
  try {
    const ExtendedReal product = headFlowProduct(in.flow, in.head, in.specificGravity, unit);
    const ExtendedReal divisor = efficiencyDivisor(in.efficiency, unit);
    const PumpResult result = pumpPowerFromProductAndDivisor(product, divisor, unit);
    return {"",
            {product, result.shaftPower, result.lowerMotorPower, result.upperMotorPower,
             requiredMotorPower(in.margin, product, divisor, unit)}};
  } catch (const Exception& error) {
    return {typeid(error).name()};
  }
}

// The exponent an extended value really has: a denormal's counts its leading zeros.
int effectiveExponent(ExtendedReal x) {
  if (x.biasedExponent() != 0) return x.biasedExponent();
  return x.significand == 0 ? -100 : 1 - std::countl_zero(x.significand);
}

class Generator {
 public:
  explicit Generator(std::uint64_t seed) : rng_(seed) {}

  Inputs next() {
    Inputs in;
    in.flow = rng_.percent(3) ? denormal() : normal(rng_.between(1, 0x7FFE));
    in.head = rng_.percent(3) ? denormal() : normal(target() - in.flow.biasedExponent() + bias);
    const int headFlow = effectiveExponent(x87::multiply(in.head, in.flow).value);
    if (rng_.percent(20)) {
      in.specificGravity = ExtendedReal::fromBits(false, bias, std::uint64_t{1} << 63);
    } else if (rng_.percent(10)) {
      in.specificGravity = rng_.percent(50) ? ExtendedReal{} : denormal();
    } else {
      in.specificGravity = normal(target() - headFlow + bias);
    }
    // D is about η × 2^1.9: aim it at the double's range and just beyond both of its ends.
    in.efficiency = rng_.percent(5) ? ExtendedReal{} : normal(target() - 1);
    const ExtendedReal product =
        independent::throughDouble(
            x87::multiply(x87::multiply(in.head, in.flow).value, in.specificGravity).value)
            .value;
    if (rng_.percent(30)) {
      ExtendedReal margin;
      tryTextToExtended("1.1", margin);
      in.margin = margin;
    } else if (rng_.percent(40)) {
      in.margin = ExtendedReal::fromBits(false, bias, rng_.next() | std::uint64_t{1} << 63);
    } else {
      // A product K × P, or a quotient (K × P) ÷ D, at the top of the extended range.
      const int top = 0x7FFE + rng_.between(-2, 1);
      const int divisor = in.efficiency.biasedExponent() + 2;
      const int wanted = rng_.percent(50) ? top : top + divisor - bias;
      in.margin = absolute(normal(std::max(bias, wanted - effectiveExponent(product) + bias)));
    }
    return in;
  }

 private:
  // Where a product or a double rounding changes its behaviour: the extended denormals and
  // below, the double's denormals and the rounding to zero below them, the double's
  // largest values and its overflow, the extended overflow, and ordinary magnitudes.
  int target() {
    switch (rng_.below(6)) {
      case 0:
        return rng_.between(-70, 3);
      case 1:
        return bias + rng_.between(-1078, -1020);
      case 2:
        return bias + rng_.between(1021, 1025);
      case 3:
        return 0x7FFE + rng_.between(-2, 2);
      default:
        return bias + rng_.between(-30, 30);
    }
  }

  ExtendedReal normal(int exponent) {
    const int clamped = exponent < 1 ? 1 : exponent > 0x7FFE ? 0x7FFE : exponent;
    std::uint64_t significand = rng_.next() | std::uint64_t{1} << 63;
    // Now and then a short significand: products that are exact, or halfway.
    if (rng_.percent(20)) significand &= ~std::uint64_t{0} << rng_.between(32, 62);
    return ExtendedReal::fromBits(rng_.percent(10), static_cast<std::uint16_t>(clamped),
                                  significand);
  }

  ExtendedReal denormal() {
    const std::uint64_t significand = rng_.next() >> rng_.between(1, 63);
    return ExtendedReal::fromBits(rng_.percent(10), 0, significand | 1);
  }

  test::Rng rng_;
};

std::string describe(const Outcome& o) {
  if (!o.error.empty()) return o.error;
  std::string text;
  for (const ExtendedReal& value : o.values) text.append(" ").append(testing::PrintToString(value));
  return text;
}

// P with the inputs' specific gravity, or as it was formed before there was one; or the
// error.
std::string productText(const Inputs& in, bool withGravity) {
  FloatUnitState& unit = resetUnit();
  try {
    return testing::PrintToString(withGravity
                                      ? headFlowProduct(in.flow, in.head, in.specificGravity, unit)
                                      : headFlowProduct(in.flow, in.head, unit));
  } catch (const Exception& error) {
    return typeid(error).name();
  }
}

TEST(PumpPowerAgainstX87, SpecificGravityAndMarginAtTheEdgesOfEveryStep) {
  Generator generator(0x56'2847);
  Edges edges{};
  const ExtendedReal one = ExtendedReal::fromBits(false, bias, std::uint64_t{1} << 63);
  ExtendedReal marginOfToday;
  ASSERT_TRUE(tryTextToExtended("1.1", marginOfToday));
  int failures = 0;
  for (int i = 0; i < 100'000 && failures < 10; ++i) {
    const Inputs in = generator.next();
    const Outcome expected = hardware(in, edges), actual = software(in);
    // Water's specific gravity and today's margin change nothing.
    Inputs water = in;
    water.specificGravity = one;
    water.margin = marginOfToday;
    const Outcome withWater = software(water);
    const bool waterSame = productText(water, true) == productText(in, false) &&
                           (!withWater.error.empty() || withWater.values[4] == withWater.values[2]);
    if (!(actual == expected) || !waterSame) {
      ++failures;
      ADD_FAILURE() << "Q, H, SG, eta, K:"
                    << describe(
                           {"", {in.flow, in.head, in.specificGravity, in.efficiency, in.margin}})
                    << "\n  x87 P, N, M1, M2, R:" << describe(expected)
                    << "\n  software:" << describe(actual)
                    << "\n  SG 1, K 1.1:" << describe(withWater) << "; P without SG "
                    << productText(in, false);
    }
  }

  // Every edge was reached, many times over.
  for (const unsigned long long count : edges) EXPECT_GT(count, 500u);
}

}  // namespace
}  // namespace pumpcalc

#endif  // PUMPCALC_HAVE_X87_REFERENCE
