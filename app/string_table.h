// The program's user-visible texts, read by number from its string table: on Windows the
// string-table resource of the running program, elsewhere the same texts compiled in.
#pragma once

#include <string>

namespace pumpcalc {

// Numbers of the texts in the string table.
enum StringId : int {
  sYesToAllButton = 65344,
  sWarningCaption = 65362,
  sErrorCaption = 65363,
  sInformationCaption = 65364,
  sConfirmCaption = 65365,
  sYesButton = 65366,
  sNoButton = 65367,
  sOKButton = 65368,
  sCancelButton = 65369,
  sHelpButton = 65370,
  sAbortButton = 65371,
  sRetryButton = 65372,
  sIgnoreButton = 65373,
  sAllButton = 65374,
  sNoToAllButton = 65375,
  sButtonWordOK = 65379,  // 65379 to 65388: a second set of button words
  sButtonWordAll = 65388,
  sSafecallException = 65472,
  sAbstractError = 65474,
  sAccessViolationInModule = 65475,
  sOSError = 65476,
  sUnknownOSError = 65477,
  sVarArrayCreate = 65488,
  sVarArrayBounds = 65489,
  sInvalidVarCast = 65491,
  sInvalidVarOp = 65492,
  sVarBadArgument = 65497,
  sExternalException = 65501,
  sAssertionFailed = 65502,
  sIntfCastError = 65503,
  sFloatingPointOverflow = 65504,
  sFloatingPointUnderflow = 65505,
  sInvalidPointer = 65506,
  sInvalidCast = 65507,
  sAccessViolation = 65508,
  sAccessViolationShort = 65509,
  sStackOverflow = 65510,
  sControlC = 65511,
  sPrivilege = 65512,
  sExceptionInModule = 65513,
  sApplicationErrorCaption = 65514,
  sVarNotImplemented = 65517,
  sReadAccess = 65518,
  sWriteAccess = 65519,
  sInvalidFloatingPointValue = 65521,
  sOutOfMemory = 65522,
  sDivisionByZero = 65531,
  sRangeError = 65532,
  sIntegerOverflow = 65533,
  sInvalidFloatingPointOperation = 65534,
  sFloatingPointDivisionByZero = 65535,
};

// The text with the given number; empty when the table has none.
std::string loadResString(int id);

}  // namespace pumpcalc
