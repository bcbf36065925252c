// The software x87 arithmetic, checked three ways: known results that pin down one rule each
// (these need no hardware), every pairing of a table of boundary operands against the real
// x87, and a million fixed-seed random operand sets per operation against the real x87.
#include "core/extended_real.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/core/x87_comparison.h"

namespace pumpcalc {
namespace {

using x87test::Operands;
using x87test::Operation;
using x87test::Outcome;

constexpr ExtendedReal X(std::uint16_t signExponent, std::uint64_t significand) {
  return {significand, signExponent};
}
constexpr Outcome result80(std::uint16_t signExponent, std::uint64_t significand,
                           std::uint8_t flags) {
  return {significand, signExponent, flags};
}
constexpr Outcome result64(std::uint64_t bits, std::uint8_t flags) { return {bits, 0, flags}; }
constexpr Outcome order(int code, std::uint8_t flags) {
  return {static_cast<std::uint64_t>(code), 0, flags};
}

constexpr std::uint8_t I = flagInvalid, D = flagDenormal, Z = flagZeroDivide, O = flagOverflow,
                       U = flagUnderflow, P = flagPrecision;
constexpr std::uint64_t one = 0x8000'0000'0000'0000u;
constexpr int unordered = 2;

struct KnownCase {
  const char* property;
  Operation op;
  Operands operands;
  Outcome expected;
};

// Each case fixes one rounding or x87 rule; expected values are exact bit patterns.
const KnownCase knownCases[] = {
    // Rounding and range.
    {"HalfwayProductRoundsToEvenSignificand",
     Operation::multiply,
     {X(0x3FFF, 0x8000'0000'0000'0001), X(0x3FFF, 0xC000'0000'0000'0000)},
     result80(0x3FFF, 0xC000'0000'0000'0002, P)},
    {"OneThirdRoundsUp",
     Operation::divide,
     {X(0x3FFF, one), X(0x4000, 0xC000'0000'0000'0000)},
     result80(0x3FFD, 0xAAAA'AAAA'AAAA'AAAB, P)},
    {"FiveThirdsRoundsDown",
     Operation::divide,
     {X(0x4001, 0xA000'0000'0000'0000), X(0x4000, 0xC000'0000'0000'0000)},
     result80(0x3FFF, 0xD555'5555'5555'5555, P)},
    {"MaxTimesTwoOverflowsToInfinity",
     Operation::multiply,
     {X(0x7FFE, ~0ull), X(0x4000, one)},
     result80(0x7FFF, one, O | P)},
    {"MaxPlusHalfUlpOverflows",
     Operation::add,
     {X(0x7FFE, ~0ull), X(0x7FFE - 64, one)},
     result80(0x7FFF, one, O | P)},
    {"ProductRoundingUpToSmallestNormalIsNotTiny",
     Operation::multiply,
     {X(0x3FFE, 0xFFFF'FFFF'FFFF'FFFE), X(0x0001, 0x8000'0000'0000'0001)},
     result80(0x0001, one, P)},
    {"ExactDenormalProductRaisesNothing",
     Operation::multiply,
     {X(0x0001, one), X(0x3FFE, one)},
     result80(0x0000, 0x4000'0000'0000'0000, 0)},
    {"InexactDenormalProductUnderflows",
     Operation::multiply,
     {X(0x0001, 0x8000'0000'0000'0001), X(0x3FFE, one)},
     result80(0x0000, 0x4000'0000'0000'0000, U | P)},
    {"ExactCancellationGivesPositiveZero",
     Operation::subtract,
     {X(0x8064, 0xE000'0000'0000'0000), X(0x8064, 0xE000'0000'0000'0000)},
     result80(0x0000, 0, 0)},
    {"NegativeZerosSumToNegativeZero",
     Operation::add,
     {X(0x8000, 0), X(0x8000, 0)},
     result80(0x8000, 0, 0)},
    // Invalid operations and NaNs.
    {"ZeroTimesInfinityIsDefaultNaN",
     Operation::multiply,
     {X(0x0000, 0), X(0x7FFF, one)},
     result80(0xFFFF, 0xC000'0000'0000'0000, I)},
    {"InfinityMinusInfinityIsDefaultNaN",
     Operation::subtract,
     {X(0x7FFF, one), X(0x7FFF, one)},
     result80(0xFFFF, 0xC000'0000'0000'0000, I)},
    {"LargerStoredSignificandWinsSoQuietBeatsSignaling",
     Operation::multiply,
     {X(0x7FFF, 0x8000'0000'0000'0005), X(0xFFFF, 0xC000'0000'0000'0001)},
     result80(0xFFFF, 0xC000'0000'0000'0001, I)},
    {"EqualNaNSignificandsOfOppositeSignGivePositive",
     Operation::add,
     {X(0xFFFF, 0xC000'0000'0000'0007), X(0x7FFF, 0xC000'0000'0000'0007)},
     result80(0x7FFF, 0xC000'0000'0000'0007, 0)},
    {"SubtractionKeepsTheNaNsSign",
     Operation::subtract,
     {X(0x3FFF, one), X(0xFFFF, 0xC000'0000'0000'0007)},
     result80(0xFFFF, 0xC000'0000'0000'0007, 0)},
    {"UnnormalOperandBeatsQuietNaN",
     Operation::multiply,
     {X(0x0005, 0x4000'0000'0000'0000), X(0x7FFF, 0xC000'0000'0000'0001)},
     result80(0xFFFF, 0xC000'0000'0000'0000, I)},
    {"QuietNaNSuppressesDenormalFlag",
     Operation::multiply,
     {X(0x0000, 1), X(0x7FFF, 0xC000'0000'0000'0001)},
     result80(0x7FFF, 0xC000'0000'0000'0001, 0)},
    // Denormal operands.
    {"DenormalOverZeroRaisesOnlyZeroDivide",
     Operation::divide,
     {X(0x8000, 7), X(0x0000, 0)},
     result80(0xFFFF, one, Z)},
    {"DenormalTimesZeroRaisesDenormal",
     Operation::multiply,
     {X(0x0000, 1), X(0x8000, 0)},
     result80(0x8000, 0, D)},
    {"PseudoDenormalReadsWithSmallestNormalExponent",
     Operation::add,
     {X(0x0000, 0x8000'0000'0000'0001), X(0x0000, 0)},
     result80(0x0001, 0x8000'0000'0000'0001, D)},
    // FRNDINT.
    {"HalfRoundsToEvenZero", Operation::roundToInteger, {X(0x3FFE, one)}, result80(0x0000, 0, P)},
    {"OneAndAHalfRoundsToTwo",
     Operation::roundToInteger,
     {X(0x3FFF, 0xC000'0000'0000'0000)},
     result80(0x4000, one, P)},
    {"NegativeFractionRoundsToNegativeZero",
     Operation::roundToInteger,
     {X(0xBFFD, 0xB000'0000'0000'0000)},
     result80(0x8000, 0, P)},
    {"TwoToThe63MinusHalfRoundsUpToTwoToThe63",
     Operation::roundToInteger,
     {X(0x403D, ~0ull)},
     result80(0x403E, one, P)},
    {"DenormalRoundsToZeroWithDenormalFlag",
     Operation::roundToInteger,
     {X(0x0000, 1)},
     result80(0x0000, 0, D | P)},
    // FST m64real.
    {"HalfOfSmallestDoubleDenormalRoundsToZero",
     Operation::toBinary64,
     {X(0x3FFF - 1075, one)},
     result64(0, U | P)},
    {"JustBelowSmallestDoubleNormalRoundsUpWithoutUnderflow",
     Operation::toBinary64,
     {X(0x3FFF - 1023, 0xFFFF'FFFF'FFFF'FFF0)},
     result64(0x0010'0000'0000'0000, P)},
    {"DoubleMaxPlusHalfUlpOverflows",
     Operation::toBinary64,
     {X(0x3FFF + 1023, 0xFFFF'FFFF'FFFF'FC00)},
     result64(0x7FF0'0000'0000'0000, O | P)},
    {"ExtendedDenormalStoresZeroWithoutDenormalFlag",
     Operation::toBinary64,
     {X(0x0000, 1)},
     result64(0, U | P)},
    {"SignalingNaNStoreKeepsTopPayloadBits",
     Operation::toBinary64,
     {X(0xFFFF, 0x8000'0000'0000'12FF)},
     result64(0xFFF8'0000'0000'0002, I)},
    {"UnnormalStoresDefaultNaN",
     Operation::toBinary64,
     {X(0x0005, 5)},
     result64(0xFFF8'0000'0000'0000, I)},
    // FLD m64real and FILD m64int.
    {"SmallestDoubleDenormalLoadsNormalized",
     Operation::fromBinary64,
     {{}, {}, 1},
     result80(0x3FFF - 1074, one, D)},
    {"SignalingDoubleNaNLoadsQuieted",
     Operation::fromBinary64,
     {{}, {}, 0xFFF0'0000'0000'0123},
     result80(0xFFFF, 0xC000'0000'0009'1800, I)},
    {"MostNegativeInt64IsExact",
     Operation::fromInt64,
     {{}, {}, 0x8000'0000'0000'0000},
     result80(0xC03E, one, 0)},
    // FUCOM.
    {"NegativeZeroEqualsPositiveZero",
     Operation::compare,
     {X(0x8000, 0), X(0x0000, 0)},
     order(0, 0)},
    {"QuietNaNIsUnorderedWithoutInvalid",
     Operation::compare,
     {X(0x7FFF, 0xC000'0000'0000'0000), X(0x3FFF, one)},
     order(unordered, 0)},
    {"SignalingNaNIsUnorderedWithInvalid",
     Operation::compare,
     {X(0x3FFF, one), X(0x7FFF, 0x8000'0000'0000'0001)},
     order(unordered, I)},
    {"PseudoDenormalEqualsSmallestNormal",
     Operation::compare,
     {X(0x0000, one), X(0x0001, one)},
     order(0, D)},
    {"NegativeNumbersOrderByMagnitudeReversed",
     Operation::compare,
     {X(0xC000, one), X(0xBFFF, one)},
     order(-1, 0)},
};

class KnownResult : public ::testing::TestWithParam<KnownCase> {};

TEST_P(KnownResult, MatchesExactBits) {
  const KnownCase& c = GetParam();
  const Outcome actual = x87test::runSoftware(c.op, c.operands);
  EXPECT_EQ(actual, c.expected) << x87test::describeMismatch(c.op, c.operands, c.expected, actual);
}

INSTANTIATE_TEST_SUITE_P(ExtendedReal, KnownResult, ::testing::ValuesIn(knownCases),
                         [](const auto& info) { return std::string(info.param.property); });

#if PUMPCALC_HAVE_X87_REFERENCE

constexpr std::uint64_t maxReportedFailures = 20;

// Under Wine the x87 is still the real one, but the run should stay short.
#ifdef _WIN32
constexpr std::uint64_t randomCasesPerOperation = 100'000;
#else
constexpr std::uint64_t randomCasesPerOperation = 1'000'000;
#endif

class BoundaryPairs : public ::testing::TestWithParam<Operation> {};

TEST_P(BoundaryPairs, MatchX87) {
  const Operation op = GetParam();
  const std::vector<ExtendedReal> values = x87test::boundaryOperands();
  std::uint64_t failures = 0;
  for (const ExtendedReal& a : values) {
    for (const ExtendedReal& b : values) {
      if (!x87test::matchesHardware(op, {a, b, 0}, stdout)) ++failures;
      if (failures >= maxReportedFailures) break;
    }
    if (failures >= maxReportedFailures) break;
  }
  EXPECT_EQ(failures, 0u);
}

INSTANTIATE_TEST_SUITE_P(ExtendedReal, BoundaryPairs,
                         ::testing::Values(Operation::multiply, Operation::divide, Operation::add,
                                           Operation::subtract, Operation::compare),
                         [](const auto& info) {
                           return std::string(x87test::operationName(info.param));
                         });

// Binary64 bit patterns at the edges of each field: zero and denormals, the smallest and
// largest normals, infinities, quiet and signaling NaNs.
std::vector<std::uint64_t> binary64Boundaries() {
  constexpr std::array<std::uint64_t, 7> exponents = {0, 1, 2, 0x3FE, 0x3FF, 0x7FE, 0x7FF};
  constexpr std::array<std::uint64_t, 7> fractions = {
      0, 1, 2, 0x8'0000'0000'0000, 0x7'FFFF'FFFF'FFFF, 0xF'FFFF'FFFF'FFFF, 0x4'0000'0000'0001};
  std::vector<std::uint64_t> bits;
  for (std::uint64_t sign : {0ull, 1ull << 63}) {
    for (std::uint64_t e : exponents) {
      for (std::uint64_t f : fractions) bits.push_back(sign | (e << 52) | f);
    }
  }
  return bits;
}

// 0, +-2^k, +-(2^k - 1) and +-(2^k + 1): every magnitude, and every run of ones.
std::vector<std::uint64_t> int64Boundaries() {
  std::vector<std::uint64_t> values = {0};
  for (int k = 0; k < 64; ++k) {
    for (std::uint64_t v : {1ull << k, (1ull << k) - 1, (1ull << k) + 1}) {
      values.push_back(v);
      values.push_back(~v + 1);
    }
  }
  return values;
}

TEST(ExtendedRealBoundaries, UnaryOperationsMatchX87) {
  std::uint64_t failures = 0;
  for (const ExtendedReal& a : x87test::boundaryOperands()) {
    failures += !x87test::matchesHardware(Operation::roundToInteger, {a, {}, 0}, stdout);
    failures += !x87test::matchesHardware(Operation::toBinary64, {a, {}, 0}, stdout);
  }
  for (std::uint64_t bits : binary64Boundaries()) {
    failures += !x87test::matchesHardware(Operation::fromBinary64, {{}, {}, bits}, stdout);
  }
  for (std::uint64_t value : int64Boundaries()) {
    failures += !x87test::matchesHardware(Operation::fromInt64, {{}, {}, value}, stdout);
  }
  EXPECT_EQ(failures, 0u);
}

class RandomOperands : public ::testing::TestWithParam<Operation> {};

TEST_P(RandomOperands, MatchX87BitForBit) {
  const Operation op = GetParam();
  // Fixed seeds, one stream per operation, apart from the sweep's default streams.
  const std::uint64_t seed = 0x7E57'0000ull + 0x1'0000'0000ull * static_cast<std::uint64_t>(op);
  const x87test::RunSummary s =
      x87test::compareRandomCases(op, randomCasesPerOperation, seed, maxReportedFailures, stdout);
  EXPECT_EQ(s.failures, 0u) << "in " << s.cases << " cases";
}

INSTANTIATE_TEST_SUITE_P(ExtendedReal, RandomOperands, ::testing::ValuesIn(x87test::allOperations),
                         [](const auto& info) {
                           return std::string(x87test::operationName(info.param));
                         });

#endif  // PUMPCALC_HAVE_X87_REFERENCE

}  // namespace
}  // namespace pumpcalc
