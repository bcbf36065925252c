#include "app/last_resort.h"

#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

#include "app/box_text.h"
#include "core/error_mapping.h"
#include "platform/last_resort_text.h"
#include "platform/module_lookup.h"

namespace pumpcalc {
namespace {

constexpr std::size_t fallbackTextLimit = 1023;
constexpr std::size_t moduleNameLimit = 260;
constexpr std::uintptr_t codeSectionOffset = 0x1000;

}  // namespace

std::string currentExceptionTypeName() {
  const std::type_info* type = abi::__cxa_current_exception_type();
  if (type == nullptr) return "unknown";
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> readable(
      abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && readable ? std::string(readable.get()) : std::string(type->name());
}

namespace {

// Where an address lies: the module that holds it and the offset in it; else the
// program's own file, with the offset counted from its code section.
struct Place {
  std::string module;
  std::uintptr_t offset = 0;
};

Place placeOf(std::uintptr_t address) {
  Place place;
  std::string moduleName;
  if (auto module = platform::findModuleAt(address)) {
    moduleName = module->fileName;
    place.offset = address - module->base;
  } else {
    moduleName = platform::programFileName();
    place.offset = address == 0 ? 0 : address - codeSectionOffset;
  }
  place.module = wholeCharactersWithin(fileNameWithoutDirectory(moduleName), moduleNameLimit);
  return place;
}

std::string composeFallbackText(const char* className, const Place& place,
                                std::string_view message) {
  const std::string_view period = !message.empty() && message.back() != '.' ? "." : "";
  return wholeCharactersWithin(
      formatText(loadResString(sExceptionInModule),
                 {className, place.module, FormatArg::address(place.offset), message, period}),
      fallbackTextLimit);
}

}  // namespace

std::string formatFallbackText(const Exception* error, const char* className,
                               std::uintptr_t address) {
  return composeFallbackText(className, placeOf(address),
                             error != nullptr ? error->message() : std::string_view());
}

platform::ShortenableText fallbackBoxText(const Exception* error, const char* className,
                                          std::uintptr_t address) {
  return shortenableMessage(error, [className = std::string(className),
                                    place = placeOf(address)](const std::string& message) {
    return composeFallbackText(className.c_str(), place, message);
  });
}

void reportUnhandledError(const Exception* error, const char* className, std::uintptr_t address) {
  platform::showLastResortText(fallbackBoxText(error, className, address));
  std::exit(1);
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

}  // namespace pumpcalc
