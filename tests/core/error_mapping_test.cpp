#include "core/error_mapping.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <typeinfo>

#include "core/errors.h"
#include "platform/module_lookup.h"

namespace pumpcalc {
namespace {

template <class Base>
bool isA(const Exception& error) {
  return dynamic_cast<const Base*>(&error) != nullptr;
}

std::string captureMessage(int kind) {
  try {
    raiseRuntimeError(kind, 0x1234);
  } catch (const Exception& error) {
    EXPECT_EQ(error.raiseAddress(), 0x1234u);
    return std::string(error.className()) + ": " + error.message();
  }
  return "nothing raised";
}

TEST(RaiseRuntimeError, MakesTheTablesClassAndMessage) {
  const std::pair<int, std::string> cases[] = {
      {3, "EDivByZero: Division by zero"},
      {4, "ERangeError: Range check error"},
      {5, "EIntOverflow: Integer overflow"},
      {6, "EInvalidOp: Invalid floating point operation"},
      {7, "EZeroDivide: Floating point division by zero"},
      {8, "EOverflow: Floating point overflow"},
      {9, "EUnderflow: Floating point underflow"},
      {10, "EInvalidCast: Invalid class typecast"},
      {11, "EAccessViolation: Access violation"},
      {12, "EPrivilege: Privileged instruction"},
      {13, "EControlC: Control-C hit"},
      {14, "EStackOverflow: Stack overflow"},
      {15, "EVariantError: Invalid variant type conversion"},
      {16, "EVariantError: Invalid variant operation"},
      {17, "EVariantError: Variant method calls not supported"},
      {18, "EVariantError: Error creating variant or safe array"},
      {19, "EVariantError: Invalid argument"},
      {20, "EVariantError: Variant or safe array index out of bounds"},
      {21, "EAssertionFailed: Assertion failed"},
      {22, "EExternalException: External exception %x"},
      {23, "EIntfCastError: Interface not supported"},
      {24, "ESafecallException: Exception in safecall method"},
  };
  for (const auto& [kind, expected] : cases) EXPECT_EQ(captureMessage(kind), expected) << kind;
}

TEST(RaiseRuntimeError, HeapErrorsAreTheSameReservedObjectEveryTime) {
  const Exception* first = nullptr;
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      raiseRuntimeError(reOutOfMemory, 0x10);
    } catch (const EOutOfMemory& error) {
      EXPECT_EQ(error.message(), "Out of memory");
      EXPECT_FALSE(error.mayBeDestroyed);
      if (first == nullptr) first = &error;
      EXPECT_EQ(&error, first);
    }
  }
  EXPECT_NE(first, nullptr);
  try {
    raiseRuntimeError(reInvalidPointer, 0x10);
  } catch (const EInvalidPointer& error) {
    EXPECT_EQ(error.message(), "Invalid pointer operation");
    EXPECT_TRUE(isA<EHeapException>(error));
  }
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(RaiseRuntimeError, HeapExhaustionRaisesTheReservedOutOfMemory) {
  volatile std::size_t huge = static_cast<std::size_t>(-1) / 4;
  auto allocate = [huge] {
    char* volatile block = new char[huge];
    delete[] block;
  };
  EXPECT_THROW(allocate(), EOutOfMemory);
}
#endif

struct Mapped {
  std::uint32_t code;
  std::string classAndMessage;
};

TEST(MapOsException, MapsEachCodeToItsClass) {
  const Mapped cases[] = {
      {0xC0000094, "EDivByZero: Division by zero"},
      {0xC000008C, "ERangeError: Range check error"},
      {0xC0000095, "EIntOverflow: Integer overflow"},
      {0xC0000090, "EInvalidOp: Invalid floating point operation"},
      {0xC0000092, "EInvalidOp: Invalid floating point operation"},
      {0xC000008F, "EInvalidOp: Invalid floating point operation"},
      {0xC000008E, "EZeroDivide: Floating point division by zero"},
      {0xC0000091, "EOverflow: Floating point overflow"},
      {0xC0000093, "EUnderflow: Floating point underflow"},
      {0xC000008D, "EUnderflow: Floating point underflow"},
      {0xC0000096, "EPrivilege: Privileged instruction"},
      {0xC000013A, "EControlC: Control-C hit"},
      {0xC00000FD, "EStackOverflow: Stack overflow"},
      {0xC0000135, "EExternalException: External exception C0000135"},
      {0x1, "EExternalException: External exception 1"},
  };
  for (const Mapped& c : cases) {
    OsExceptionRecord record;
    record.code = c.code;
    record.address = 0x4000;
    const auto error = mapOsException(record);
    EXPECT_EQ(std::string(error->className()) + ": " + error->message(), c.classAndMessage);
    ASSERT_TRUE(isA<EExternal>(*error));
    const OsExceptionRecord* kept = static_cast<const EExternal&>(*error).osExceptionRecord();
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->code, c.code);
    EXPECT_EQ(error->raiseAddress(), 0x4000u);
  }
}

TEST(MapOsException, FloatFaultsAreMathErrors) {
  for (std::uint32_t code : {0xC000008Eu, 0xC0000090u, 0xC0000091u}) {
    OsExceptionRecord record;
    record.code = code;
    const auto error = mapOsException(record);
    EXPECT_TRUE(isA<EMathError>(*error)) << error->className();
    EXPECT_TRUE(isA<EExternal>(*error));
  }
}

OsExceptionRecord accessViolation(std::uintptr_t at, bool write, std::uintptr_t target) {
  OsExceptionRecord record;
  record.code = 0xC0000005;
  record.address = at;
  record.parameterCount = 2;
  record.parameters[0] = write ? 1 : 0;
  record.parameters[1] = target;
  return record;
}

TEST(MapOsException, AccessViolationNamesTheModuleWhenThereIsOne) {
  const auto inside = reinterpret_cast<std::uintptr_t>(&captureMessage);
  const std::string module =
      fileNameWithoutDirectory(platform::findModuleAt(inside).value().fileName);
  const std::string at = formatText("%p", {FormatArg::address(inside)});

  auto read = mapOsException(accessViolation(inside, false, 0));
  EXPECT_STREQ(read->className(), "EAccessViolation");
  EXPECT_EQ(read->message(), "Access violation at address " + at + " in module '" + module +
                                 "'. Read of address 00000000");
  auto write = mapOsException(accessViolation(inside, true, 0xABC));
  EXPECT_EQ(write->message(), "Access violation at address " + at + " in module '" + module +
                                  "'. Write of address 00000ABC");
  auto outside = mapOsException(accessViolation(0x12345678, false, 0));
  EXPECT_EQ(outside->message(), "Access violation at address 12345678. Read of address 00000000");
}

#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
TEST(ErrorHooksDeathTest, WithoutHooksErrorsEndTheProgramWithTheirExitNumbers) {
  auto withoutHooks = [](auto action) {
    removeErrorHooks();
    action();
  };
  EXPECT_EXIT(withoutHooks([] { reportRuntimeError(reOutOfMemory, 0x12345678); }),
              testing::ExitedWithCode(203), "Runtime error 203 at 12345678");
  OsExceptionRecord record;
  record.code = 0xC000008E;
  EXPECT_EXIT(withoutHooks([&] { raiseOsException(record); }), testing::ExitedWithCode(200),
              "Runtime error 200 at 00000000");
  record.code = 0xC0000135;
  EXPECT_EXIT(withoutHooks([&] { raiseOsException(record); }), testing::ExitedWithCode(255), "");
}
#endif

TEST(ErrorHooks, TheAbstractCallHookStaysAfterRemoval) {
  removeErrorHooks();
  EXPECT_THROW(reportAbstractCall(0), EAbstractError);
  installErrorHooks(nullptr);
}

TEST(ErrorHooks, InstalledHooksRaiseObjects) {
  EXPECT_THROW(reportRuntimeError(reRangeError, 0), ERangeError);
  EXPECT_THROW(reportAbstractCall(0), EAbstractError);
  OsExceptionRecord record;
  record.code = 0xC0000094;
  EXPECT_THROW(raiseOsException(record), EDivByZero);
}

}  // namespace
}  // namespace pumpcalc
