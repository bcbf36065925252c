#include "platform/last_resort.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

#include "core/error_mapping.h"
#include "core/utf8.h"
#include "platform/module_lookup.h"
#include "platform/streams.h"

namespace pumpcalc::platform {
namespace {

constexpr std::size_t fallbackTextLimit = 1023;
constexpr std::size_t moduleNameLimit = 260;
constexpr std::uintptr_t codeSectionOffset = 0x1000;

}  // namespace

CodePlace codePlaceOf(std::uintptr_t address) {
  CodePlace place;
  std::string moduleName;
  if (auto module = findModuleAt(address)) {
    moduleName = module->fileName;
    place.offset = address - module->base;
  } else {
    moduleName = programFileName();
    place.offset = address == 0 ? 0 : address - codeSectionOffset;
  }
  place.module = wholeCharactersWithin(fileNameWithoutDirectory(moduleName), moduleNameLimit);
  return place;
}

std::string fallbackText(const char* className, const CodePlace& place, std::string_view message) {
  const std::string_view period = !message.empty() && message.back() != '.' ? "." : "";
  return wholeCharactersWithin(
      formatText(loadResString(sExceptionInModule),
                 {className, place.module, FormatArg::address(place.offset), message, period}),
      fallbackTextLimit);
}

std::string formatFallbackText(const Exception* error, const char* className,
                               std::uintptr_t address) {
  return fallbackText(className, codePlaceOf(address),
                      error != nullptr ? error->message() : std::string_view());
}

std::string currentExceptionTypeName() {
  const std::type_info* type = abi::__cxa_current_exception_type();
  if (type == nullptr) return "unknown";
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> readable(
      abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && readable ? std::string(readable.get()) : std::string(type->name());
}

void handleEscapedError() {
  const UnhandledErrorHook hook = unhandledErrorHook();
  try {
    throw;
  } catch (const Exception& error) {
    if (hook != nullptr) hook(&error, error.className(), error.raiseAddress());
    runtimeErrorExit(217, error.raiseAddress());
  } catch (...) {
    if (hook != nullptr) hook(nullptr, currentExceptionTypeName().c_str(), 0);
    runtimeErrorExit(217, 0);
  }
}

void reportUnhandledErrorAsText(const Exception* error, const char* className,
                                std::uintptr_t address) {
  // Through a stream of its own, so that a console shows the message's characters.
  OutputStream standardError(stderr);
  std::string failed;
  standardError.write(formatFallbackText(error, className, address), failed);
  standardError.flush(failed);
  std::exit(1);
}

}  // namespace pumpcalc::platform
