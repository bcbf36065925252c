// The unhandled-exception filter: processor and operating-system exceptions that nothing
// else handles, on any thread.
#include "platform/last_resort.h"

#include <memory>

#include "core/error_mapping.h"
#include "core/float_unit.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32.h"

namespace pumpcalc::platform {
namespace {

constexpr ULONG reservedStack = 64 * 1024;

OsExceptionRecord toOsExceptionRecord(const EXCEPTION_RECORD& raw) {
  OsExceptionRecord record;
  record.code = raw.ExceptionCode;
  record.address = reinterpret_cast<std::uintptr_t>(raw.ExceptionAddress);
  record.parameterCount = raw.NumberParameters < 2 ? raw.NumberParameters : 2;
  for (DWORD i = 0; i < record.parameterCount; ++i) {
    record.parameters[i] = static_cast<std::uintptr_t>(raw.ExceptionInformation[i]);
  }
  return record;
}

// Reports the exception and ends the program; does not return.
void reportAndExit(const OsExceptionRecord& record) {
  const UnhandledErrorHook hook = unhandledErrorHook();
  if (!errorHooksInstalled() || hook == nullptr) {
    runtimeErrorExit(lookUpOsExceptionCode(record.code).exitNumber, record.address);
  }
  const std::unique_ptr<Exception> error = mapOsException(record);
  hook(error.get(), error->className(), record.address);
  ExitProcess(1);
}

DWORD WINAPI reportOnFreshStack(void* record) {
  reportAndExit(*static_cast<const OsExceptionRecord*>(record));
  return 1;
}

LONG WINAPI lastResortFilter(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& raw = *info->ExceptionRecord;
  if ((raw.ExceptionFlags & EXCEPTION_UNWINDING) != 0) return EXCEPTION_CONTINUE_SEARCH;
  resetFloatUnit();
  OsExceptionRecord record = toOsExceptionRecord(raw);
  if (record.code == EXCEPTION_STACK_OVERFLOW) {
    // The faulting thread's stack is spent: report from a thread with a stack of its own.
    const UniqueKernelHandle thread(
        CreateThread(nullptr, 0, reportOnFreshStack, &record, 0, nullptr));
    if (thread) WaitForSingleObject(thread.get(), INFINITE);
    ExitProcess(1);
  }
  reportAndExit(record);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void installLastResortHandler() {
  ULONG guarantee = reservedStack;
  SetThreadStackGuarantee(&guarantee);
  SetUnhandledExceptionFilter(lastResortFilter);
}

}  // namespace pumpcalc::platform
