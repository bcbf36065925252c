#include "core/error_mapping.h"

#include <cstdlib>
#include <new>
#include <string>

#include "core/os_exception_codes.h"
#include "core/system_services.h"

namespace pumpcalc {
namespace {

template <class Error>
std::unique_ptr<Exception> make(std::string message) {
  return std::make_unique<Error>(std::move(message));
}

constexpr OsCodeEntry osCodeTable[] = {
    {codeIntegerDivideByZero, reDivByZero, 200},
    {codeArrayBoundsExceeded, reRangeError, 201},
    {codeIntegerOverflow, reIntOverflow, 215},
    {codeFloatInvalidOperation, reInvalidOp, 207},
    {codeFloatStackCheck, reInvalidOp, 207},
    {codeFloatInexactResult, reInvalidOp, 207},
    {codeFloatDivideByZero, reZeroDivide, 200},
    {codeFloatOverflow, reOverflow, 205},
    {codeFloatUnderflow, reUnderflow, 206},
    {codeFloatDenormalOperand, reUnderflow, 206},
    {codeAccessViolation, reAccessViolation, 216},
    {codePrivilegedInstruction, rePrivilege, 218},
    {codeControlC, reControlC, 217},
    {codeStackOverflow, reStackOverflow, 202},
};
constexpr int otherOsExceptionExitNumber = 255;
constexpr int abstractCallExitNumber = 210;

// The hooks and what they use; process-wide, touched only on the main thread.
struct ErrorHooks {
  bool installed = false;
  std::string kindMessages[25];
  std::exception_ptr outOfMemory, invalidPointer;  // the reserved heap errors
  EHeapException* outOfMemoryObject = nullptr;
  EHeapException* invalidPointerObject = nullptr;
  UnhandledErrorHook unhandled = nullptr;
  bool abstractCallHook = false;
};
ErrorHooks hooks;

std::string messageOfKind(int kind) {
  return hooks.installed ? hooks.kindMessages[kind] : loadResString(ErrorKindTable[kind].message);
}

// A reserved object, kept in an exception_ptr so that every raise rethrows the same one.
template <class Error>
std::exception_ptr makeReserved(StringId message) {
  return std::make_exception_ptr(Error(message));
}

// The object that a reserved exception_ptr holds, found by raising it. Only its first raise
// asks: a raise costs the start of every program that never raises it.
EHeapException* reservedObject(const std::exception_ptr& reserved, EHeapException*& object) {
  if (object == nullptr) {
    try {
      std::rethrow_exception(reserved);
    } catch (EHeapException& error) {
      object = &error;
    }
  }
  return object;
}

std::string accessViolationMessage(const OsExceptionRecord& record) {
  const bool write = record.parameterCount >= 1 && record.parameters[0] != 0;
  const std::uintptr_t target = record.parameterCount >= 2 ? record.parameters[1] : 0;
  const std::string access = loadResString(write ? sWriteAccess : sReadAccess);
  if (auto module = systemServices().findModuleAt(record.address)) {
    return formatText(
        loadResString(sAccessViolationInModule),
        {FormatArg::address(record.address), fileNameWithoutDirectory(module->fileName), access,
         FormatArg::address(target)});
  }
  return formatText(loadResString(sAccessViolation),
                    {FormatArg::address(record.address), access, FormatArg::address(target)});
}

}  // namespace

const ErrorKindEntry ErrorKindTable[25] = {
    {nullptr, StringId{}, 0},
    {nullptr, sOutOfMemory, 203},
    {nullptr, sInvalidPointer, 204},
    {make<EDivByZero>, sDivisionByZero, 200},
    {make<ERangeError>, sRangeError, 201},
    {make<EIntOverflow>, sIntegerOverflow, 215},
    {make<EInvalidOp>, sInvalidFloatingPointOperation, 207},
    {make<EZeroDivide>, sFloatingPointDivisionByZero, 200},
    {make<EOverflow>, sFloatingPointOverflow, 205},
    {make<EUnderflow>, sFloatingPointUnderflow, 206},
    {make<EInvalidCast>, sInvalidCast, 219},
    {make<EAccessViolation>, sAccessViolationShort, 216},
    {make<EPrivilege>, sPrivilege, 218},
    {make<EControlC>, sControlC, 217},
    {make<EStackOverflow>, sStackOverflow, 202},
    {make<EVariantError>, sInvalidVarCast, 220},
    {make<EVariantError>, sInvalidVarOp, 221},
    {make<EVariantError>, sVarNotImplemented, 222},
    {make<EVariantError>, sVarArrayCreate, 223},
    {make<EVariantError>, sVarBadArgument, 224},
    {make<EVariantError>, sVarArrayBounds, 225},
    {make<EAssertionFailed>, sAssertionFailed, 227},
    {make<EExternalException>, sExternalException, 0},
    {make<EIntfCastError>, sIntfCastError, 228},
    {make<ESafecallException>, sSafecallException, 229},
};

OsCodeEntry lookUpOsExceptionCode(std::uint32_t code) noexcept {
  for (const OsCodeEntry& entry : osCodeTable) {
    if (entry.code == code) return entry;
  }
  return {code, reExternalException, otherOsExceptionExitNumber};
}

std::unique_ptr<Exception> mapOsException(const OsExceptionRecord& record) {
  const RuntimeErrorKind kind = lookUpOsExceptionCode(record.code).kind;
  std::unique_ptr<Exception> error;
  if (kind == reAccessViolation) {
    error = std::make_unique<EAccessViolation>(accessViolationMessage(record));
  } else if (kind == reExternalException) {
    error = std::make_unique<EExternalException>(
        formatText(loadResString(sExternalException), {record.code}));
  } else {
    error = ErrorKindTable[kind].make(messageOfKind(kind));
  }
  if (auto* external = dynamic_cast<EExternal*>(error.get())) {
    external->setOsExceptionRecord(record);
  }
  error->setRaiseAddress(record.address);
  return error;
}

void raiseRuntimeError(int kind, std::uintptr_t address) {
  if (kind == reOutOfMemory || kind == reInvalidPointer) {
    EHeapException*& object =
        kind == reOutOfMemory ? hooks.outOfMemoryObject : hooks.invalidPointerObject;
    std::exception_ptr& reserved = kind == reOutOfMemory ? hooks.outOfMemory : hooks.invalidPointer;
    if (!reserved) {
      reserved = kind == reOutOfMemory ? makeReserved<EOutOfMemory>(sOutOfMemory)
                                       : makeReserved<EInvalidPointer>(sInvalidPointer);
    }
    reservedObject(reserved, object)->setRaiseAddress(address);
    std::rethrow_exception(reserved);
  }
  if (kind < reDivByZero || kind > reSafecallError) {
    throw Exception(formatText("Runtime error %d", {kind}));
  }
  std::unique_ptr<Exception> error = ErrorKindTable[kind].make(messageOfKind(kind));
  error->setRaiseAddress(address);
  raiseError(*error);
}

void raiseAbstractError() { throw EAbstractError(sAbstractError); }

void reportRuntimeError(int kind, std::uintptr_t address) {
  if (hooks.installed) raiseRuntimeError(kind, address);
  const bool known = kind >= reOutOfMemory && kind <= reSafecallError;
  runtimeErrorExit(known ? ErrorKindTable[kind].exitNumber : 255, address);
}

void raiseOsException(const OsExceptionRecord& record) {
  if (hooks.installed) raiseError(*mapOsException(record));
  runtimeErrorExit(lookUpOsExceptionCode(record.code).exitNumber, record.address);
}

void runtimeErrorExit(int number, std::uintptr_t address) {
  systemServices().runtimeErrorExit(number, address);
  std::exit(number);  // a runtime-error exit that returned still ends the program
}

void reportAbstractCall(std::uintptr_t address) {
  if (hooks.abstractCallHook) raiseAbstractError();
  runtimeErrorExit(abstractCallExitNumber, address);
}

UnhandledErrorHook unhandledErrorHook() noexcept { return hooks.unhandled; }

bool errorHooksInstalled() noexcept { return hooks.installed; }

void installErrorHooks(UnhandledErrorHook onUnhandled) {
  for (int kind = reDivByZero; kind <= reSafecallError; ++kind) {
    hooks.kindMessages[kind] = loadResString(ErrorKindTable[kind].message);
  }
  hooks.outOfMemory = makeReserved<EOutOfMemory>(sOutOfMemory);
  hooks.invalidPointer = makeReserved<EInvalidPointer>(sInvalidPointer);
  hooks.outOfMemoryObject = hooks.invalidPointerObject = nullptr;
  hooks.unhandled = onUnhandled;
  hooks.abstractCallHook = true;
  hooks.installed = true;
  // Heap exhaustion in operator new raises the reserved EOutOfMemory.
  std::set_new_handler([] {
    reportRuntimeError(reOutOfMemory,
                       reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)));
  });
}

void removeErrorHooks() {
  hooks.installed = false;
  hooks.unhandled = nullptr;
  // An object never raised has no holder but its exception_ptr, and goes with it.
  for (EHeapException* object : {hooks.outOfMemoryObject, hooks.invalidPointerObject}) {
    if (object != nullptr) object->mayBeDestroyed = true;
  }
  hooks.outOfMemoryObject = hooks.invalidPointerObject = nullptr;
  hooks.outOfMemory = nullptr;
  hooks.invalidPointer = nullptr;
}

}  // namespace pumpcalc
