// Where failures become error objects: runtime errors by kind, operating-system
// exceptions by code, and the hooks that connect them to the error reporting.
#pragma once

#include <cstdint>
#include <memory>

#include "core/errors.h"
#include "core/string_table.h"

namespace pumpcalc {

// The runtime's error kinds, 1 to 24.
enum RuntimeErrorKind : int {
  reOutOfMemory = 1,
  reInvalidPointer = 2,
  reDivByZero = 3,
  reRangeError = 4,
  reIntOverflow = 5,
  reInvalidOp = 6,
  reZeroDivide = 7,
  reOverflow = 8,
  reUnderflow = 9,
  reInvalidCast = 10,
  reAccessViolation = 11,
  rePrivilege = 12,
  reControlC = 13,
  reStackOverflow = 14,
  reVarTypeCast = 15,
  reVarInvalidOp = 16,
  reVarDispatch = 17,
  reVarArrayCreate = 18,
  reVarInvalidArgument = 19,
  reVarArrayBounds = 20,
  reAssertionFailed = 21,
  reExternalException = 22,
  reIntfCastError = 23,
  reSafecallError = 24,
};

struct ErrorKindEntry {
  // Makes the error object for the kind; null for the kinds with a reserved object.
  std::unique_ptr<Exception> (*make)(std::string message);
  StringId message;
  // The exit code when an error of the kind ends the program before the hooks exist.
  int exitNumber;
};

// Indexed by kind; entry 0 is unused.
extern const ErrorKindEntry ErrorKindTable[25];

// The kind and the exit number of an operating-system exception code; any code not
// listed is kind 22 with exit number 255.
struct OsCodeEntry {
  std::uint32_t code;
  RuntimeErrorKind kind;
  int exitNumber;
};
OsCodeEntry lookUpOsExceptionCode(std::uint32_t code) noexcept;

// A new error object for an operating-system exception (see the access-violation and
// external-exception texts); objects of the EExternal family keep a copy of the record.
// The float unit must already be reset.
std::unique_ptr<Exception> mapOsException(const OsExceptionRecord& record);

// Raises the error object of a runtime error of kind 1 to 24, as if raised at `address`:
// kinds 1 and 2 the reserved heap errors (the same object every time, nothing allocated).
[[noreturn]] void raiseRuntimeError(int kind, std::uintptr_t address);

// Raises EAbstractError: a call of an operation that has no implementation.
[[noreturn]] void raiseAbstractError();

// What the rest of the program calls when a runtime error or an operating-system exception
// happens: raised as an error object once the hooks are installed, otherwise the program
// ends through runtimeErrorExit with the exit number of the kind or code.
[[noreturn]] void reportRuntimeError(int kind, std::uintptr_t address);
[[noreturn]] void raiseOsException(const OsExceptionRecord& record);
[[noreturn]] void reportAbstractCall(std::uintptr_t address);

// Shows something that escaped every error net and ends the program: the raised value
// (`error` when it is of the Exception family, else null), its class name and where it was
// raised. Installed as the unhandled-error hook.
using UnhandledErrorHook = void (*)(const Exception* error, const char* className,
                                    std::uintptr_t address);
UnhandledErrorHook unhandledErrorHook() noexcept;
// Whether installErrorHooks has run and removeErrorHooks not yet.
bool errorHooksInstalled() noexcept;

// Installs the hooks: reads the table's texts, creates the reserved heap errors and
// installs raiseRuntimeError, `onUnhandled`, mapOsException and the abstract-call hook.
void installErrorHooks(UnhandledErrorHook onUnhandled);
// Removes them again at shutdown; the reserved heap errors may then be destroyed.
// The abstract-call hook stays.
void removeErrorHooks();

// Ends the program with the runtime-error box ("Runtime error 217 at 12345678") and the
// number as exit code, through the system services' runtime-error exit.
[[noreturn]] void runtimeErrorExit(int number, std::uintptr_t address);

}  // namespace pumpcalc
