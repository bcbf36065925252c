// The error family: every failure of the program is an object of a class derived from
// Exception, carrying the message that the user is shown.
#pragma once

#include <exception>
#include <string>

namespace pumpcalc {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}

  const std::string& message() const noexcept { return message_; }
  // The class's own name, as the last-resort error text shows it.
  virtual const char* className() const noexcept { return "Exception"; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Declares an error class that adds nothing but its name.
#define PUMPCALC_DECLARE_ERROR_CLASS(Name, Base)                           \
  class Name : public Base {                                               \
   public:                                                                 \
    using Base::Base;                                                      \
    const char* className() const noexcept override { return #Name; }      \
  }

// Text that is not a number.
PUMPCALC_DECLARE_ERROR_CLASS(EConvertError, Exception);
// Errors made from processor and operating-system exceptions.
PUMPCALC_DECLARE_ERROR_CLASS(EExternal, Exception);
// Floating-point faults.
PUMPCALC_DECLARE_ERROR_CLASS(EMathError, EExternal);
PUMPCALC_DECLARE_ERROR_CLASS(EInvalidOp, EMathError);
PUMPCALC_DECLARE_ERROR_CLASS(EZeroDivide, EMathError);
PUMPCALC_DECLARE_ERROR_CLASS(EOverflow, EMathError);
PUMPCALC_DECLARE_ERROR_CLASS(EUnderflow, EMathError);

}  // namespace pumpcalc
