#include "core/pump_power.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "core/errors.h"
#include "core/float_unit.h"
#include "tests/core/test_values.h"

namespace pumpcalc {
namespace {

struct Worked {
  const char *flow, *head, *efficiency;
  PumpPowerTexts expected;
};

TEST(CalculatePumpPower, WorkedExamplesGiveExactlyTheirTexts) {
  const Worked cases[] = {
      {"100", "50", "80", {"17.020697167756", "18.7227668845316", "20.4248366013072"}},
      {"360", "32", "75", {"41.8300653594771", "46.0130718954248", "50.1960784313726"}},
      {"50", "20", "70", {"3.89044506691565", "4.27948957360722", "4.66853408029879"}},
      {"1", "1", "100", {"0.00272331154684096", "0.00299564270152505", "0.00326797385620915"}},
      {"100", "50", "-80", {"-17.020697167756", "-18.7227668845316", "-20.4248366013072"}},
  };
  for (const Worked& c : cases) {
    const PumpPowerTexts texts = calculatePumpPower(c.flow, c.head, c.efficiency);
    EXPECT_EQ(texts.shaftPower, c.expected.shaftPower) << c.flow << ' ' << c.head;
    EXPECT_EQ(texts.lowerMotorPower, c.expected.lowerMotorPower) << c.flow << ' ' << c.head;
    EXPECT_EQ(texts.upperMotorPower, c.expected.upperMotorPower) << c.flow << ' ' << c.head;
    EXPECT_EQ(floatUnit().flags & ~floatUnit().controlWord & allFloatFlags, 0);
  }
}

TEST(CalculatePumpPower, IntermediatesHaveTheirExactBits) {
  // Q = 100, H = 50, η = 80: P = 5000, D = 293.75999999999999091 (a double).
  EXPECT_EQ(headFlowProduct(test::integer(100), test::integer(50)), test::integer(5000));
  EXPECT_EQ(efficiencyDivisor(test::integer(80)), fromBinary64(0x40725C28F5C28F5Cu));
  const PumpResult result =
      pumpPowerFromProductAndDivisor(test::integer(5000), fromBinary64(0x40725C28F5C28F5Cu));
  EXPECT_EQ(result.shaftPower.biasedExponent(), 0x4003);
  resetFloatUnit();
}

struct Failing {
  const char *flow, *head, *efficiency;
  const std::type_info& errorClass;
  std::string message;
};

TEST(CalculatePumpPower, TheFirstFailingStepDecidesTheError) {
  const Failing cases[] = {
      {"100", "50", "0", typeid(EZeroDivide), "Floating point division by zero"},
      {"0", "50", "0", typeid(EInvalidOp), "Invalid floating point operation"},
      {"1e200", "1e200", "abc", typeid(EOverflow), "Floating point overflow"},
      {"1e200", "1e109", "80", typeid(EOverflow), "Floating point overflow"},
      {"1", "1", "1e308", typeid(EOverflow), "Floating point overflow"},
      {"100", "50", "1e-400", typeid(EZeroDivide), "Floating point division by zero"},
      {"", "x", "y", typeid(EConvertError), "'' is not a valid floating point value"},
      {"1", "x", "y", typeid(EConvertError), "'x' is not a valid floating point value"},
      {"1", "2", " y", typeid(EConvertError), "' y' is not a valid floating point value"},
  };
  for (const Failing& c : cases) {
    try {
      calculatePumpPower(c.flow, c.head, c.efficiency);
      ADD_FAILURE() << "no error for " << c.flow << ' ' << c.head << ' ' << c.efficiency;
    } catch (const Exception& error) {
      EXPECT_EQ(typeid(error), c.errorClass) << error.className();
      EXPECT_EQ(error.message(), c.message);
    }
    // The unit is clean again before the error is seen.
    EXPECT_EQ(floatUnit().flags, 0);
    EXPECT_EQ(floatUnit().controlWord, FloatControlWord);
  }
}

TEST(CalculatePumpPower, ATinyProductIsNoError) {
  const PumpPowerTexts texts = calculatePumpPower("1e-200", "1e-200", "80");
  EXPECT_EQ(texts.shaftPower, "0");
  resetFloatUnit();
}

TEST(CalculatePumpPower, ReadsEachTextOnlyWhenTheCalculationReachesIt) {
  std::vector<std::string> reads;
  auto reader = [&reads](const char* name, const char* text) {
    return [&reads, name, text] {
      reads.push_back(name);
      return std::string(text);
    };
  };
  EXPECT_THROW(calculatePumpPower(reader("flow", "1e300"), reader("head", "1e300"),
                                  reader("efficiency", "80")),
               EOverflow);
  EXPECT_EQ(reads, (std::vector<std::string>{"flow", "head"}));
  reads.clear();
  EXPECT_THROW(
      calculatePumpPower(reader("flow", "?"), reader("head", "1"), reader("efficiency", "1")),
      EConvertError);
  EXPECT_EQ(reads, (std::vector<std::string>{"flow"}));
}

// The specific gravity's text is read after the head's, before the product; the product
// H × Q stays extended until SG has joined it.
TEST(CalculatePumpPower, TheSpecificGravityJoinsTheProductBeforeItsRoundingToADouble) {
  struct Case {
    const char *flow, *head, *gravity, *efficiency;
    std::string expected;  // the shaft power's text, or the error's message
  };
  const std::string notANumber = " is not a valid floating point value";
  const Case cases[] = {
      {"100", "50", "0.85", "80", "14.4675925925926"},
      {"100", "50", "1", "80", "17.020697167756"},
      {"1e300", "1e300", "1e-300", "80", "3.4041394335512E297"},
      {"1e-200", "1e-200", "1e200", "80", "3.4041394335512E-203"},
      {"1e-2000", "1e-2000", "1e3700", "80", "3.4041394335512E-303"},
      {"1", "1", "1e309", "x", "Floating point overflow"},
      {"x", "y", "z", "80", "'x'" + notANumber},
      {"1", "y", "z", "80", "'y'" + notANumber},
      {"1e200", "1e200", "z", "80", "'z'" + notANumber},
      {"1", "1", "1", "e", "'e'" + notANumber},
  };
  for (const Case& c : cases) {
    std::string shaftPower;
    try {
      const PumpValues result = calculatePumpPowerValues(
          [&] { return c.flow; }, [&] { return c.head; }, [&] { return c.gravity; },
          [&] { return c.efficiency; }, floatUnit());
      shaftPower = extendedToText(result.shaftPower);
    } catch (const Exception& error) {
      shaftPower = error.message();
    }
    EXPECT_EQ(shaftPower, c.expected) << c.flow << ' ' << c.head << ' ' << c.gravity;
    resetFloatUnit();
  }
}

TEST(MathErrors, BelongToTheExternalFamily) {
  try {
    calculatePumpPower("1", "1", "0");
    ADD_FAILURE();
  } catch (const EMathError& error) {
    EXPECT_NE(dynamic_cast<const EExternal*>(&error), nullptr);
    EXPECT_STREQ(error.className(), "EZeroDivide");
  }
}

}  // namespace
}  // namespace pumpcalc
