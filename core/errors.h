// The error family: every failure of the program is an object of a class derived from
// Exception, carrying the message that the user is shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "core/format_text.h"
#include "core/string_table.h"

namespace pumpcalc {

// What the operating system reports of a processor or system exception.
struct OsExceptionRecord {
  std::uint32_t code = 0;
  std::uintptr_t address = 0;        // the faulting instruction
  std::uint32_t parameterCount = 0;  // how many of `parameters` are meaningful
  std::uintptr_t parameters[2] = {};
};

class Exception : public std::exception {
 public:
  // The message as given.
  explicit Exception(std::string message) : message_(std::move(message)) {}
  // The message formatted from a template (see formatText).
  Exception(std::string_view format, std::initializer_list<FormatArg> args)
      : message_(formatText(format, args)) {}
  // The message read from the string table.
  explicit Exception(StringId id) : message_(loadResString(id)) {}
  // The message read from the string table, then formatted.
  Exception(StringId id, std::initializer_list<FormatArg> args)
      : message_(formatText(loadResString(id), args)) {}

  const std::string& message() const noexcept { return message_; }
  // The class's own name, as the last-resort error text shows it.
  virtual const char* className() const noexcept { return "Exception"; }
  const char* what() const noexcept override { return message_.c_str(); }

  // Raises a copy of this object, with its dynamic class.
  [[noreturn]] virtual void raise() const { throw *this; }

  // Where the error was raised, when known (0 otherwise).
  std::uintptr_t raiseAddress() const noexcept { return raiseAddress_; }
  void setRaiseAddress(std::uintptr_t address) noexcept { raiseAddress_ = address; }

 private:
  std::string message_;
  std::uintptr_t raiseAddress_ = 0;
};

// Raises a copy of `error` with its dynamic class.
[[noreturn]] inline void raiseError(const Exception& error) {
  error.raise();
  std::terminate();  // not reached: raise() always throws
}

// Declares an error class that adds nothing to its base but its name.
#define PUMPCALC_ERROR_CLASS_BODY(Name, Base)                       \
 public:                                                            \
  using Base::Base;                                                 \
  const char* className() const noexcept override { return #Name; } \
  [[noreturn]] void raise() const override { throw *this; }

#define PUMPCALC_DECLARE_ERROR_CLASS(Name, Base) \
  class Name : public Base {                     \
    PUMPCALC_ERROR_CLASS_BODY(Name, Base)        \
  }

// Heap errors. The two reserved objects (see error_mapping.h) may be destroyed only once
// their flag is set, at shutdown.
class EHeapException : public Exception {
  PUMPCALC_ERROR_CLASS_BODY(EHeapException, Exception)

 public:
  bool mayBeDestroyed = false;
};
PUMPCALC_DECLARE_ERROR_CLASS(EOutOfMemory, EHeapException);
PUMPCALC_DECLARE_ERROR_CLASS(EOutOfResources, EOutOfMemory);
PUMPCALC_DECLARE_ERROR_CLASS(EInvalidPointer, EHeapException);

// Errors made from processor and operating-system exceptions; they keep a copy of the
// system's record.
class EExternal : public Exception {
  PUMPCALC_ERROR_CLASS_BODY(EExternal, Exception)

 public:
  const OsExceptionRecord* osExceptionRecord() const noexcept {
    return record_ ? &*record_ : nullptr;
  }
  void setOsExceptionRecord(const OsExceptionRecord& record) { record_ = record; }

 private:
  std::optional<OsExceptionRecord> record_;
};
PUMPCALC_DECLARE_ERROR_CLASS(EExternalException, EExternal);
PUMPCALC_DECLARE_ERROR_CLASS(EIntError, EExternal);
PUMPCALC_DECLARE_ERROR_CLASS(EDivByZero, EIntError);
PUMPCALC_DECLARE_ERROR_CLASS(ERangeError, EIntError);
PUMPCALC_DECLARE_ERROR_CLASS(EIntOverflow, EIntError);
PUMPCALC_DECLARE_ERROR_CLASS(EMathError, EExternal);
PUMPCALC_DECLARE_ERROR_CLASS(EInvalidOp, EMathError);
PUMPCALC_DECLARE_ERROR_CLASS(EZeroDivide, EMathError);
PUMPCALC_DECLARE_ERROR_CLASS(EOverflow, EMathError);
PUMPCALC_DECLARE_ERROR_CLASS(EUnderflow, EMathError);
PUMPCALC_DECLARE_ERROR_CLASS(EAccessViolation, EExternal);
PUMPCALC_DECLARE_ERROR_CLASS(EPrivilege, EExternal);
PUMPCALC_DECLARE_ERROR_CLASS(EControlC, EExternal);
PUMPCALC_DECLARE_ERROR_CLASS(EStackOverflow, EExternal);

PUMPCALC_DECLARE_ERROR_CLASS(EInvalidCast, Exception);
// Text that is not a number. It keeps the text it could not read and where the message
// quotes it, so that a box too small for the message can shorten just that text.
class EConvertError : public Exception {
  PUMPCALC_ERROR_CLASS_BODY(EConvertError, Exception)

 public:
  std::string unreadText;
  std::size_t unreadTextOffset = 0;  // in message(), in bytes
};
PUMPCALC_DECLARE_ERROR_CLASS(EVariantError, Exception);
PUMPCALC_DECLARE_ERROR_CLASS(EAssertionFailed, Exception);
PUMPCALC_DECLARE_ERROR_CLASS(EAbstractError, Exception);
PUMPCALC_DECLARE_ERROR_CLASS(EIntfCastError, Exception);
PUMPCALC_DECLARE_ERROR_CLASS(ESafecallException, Exception);

// A failed operating-system call.
class EOSError : public Exception {
  PUMPCALC_ERROR_CLASS_BODY(EOSError, Exception)

 public:
  std::uint32_t osErrorNumber = 0;
};

}  // namespace pumpcalc
