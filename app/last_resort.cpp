#include "app/last_resort.h"

#include <cxxabi.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

#include "core/error_mapping.h"
#include "platform/last_resort_text.h"
#include "platform/module_lookup.h"

namespace pumpcalc {
namespace {

constexpr std::size_t fallbackTextLimit = 1023;
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

std::string formatFallbackText(const Exception* error, const char* className,
                               std::uintptr_t address) {
  std::string moduleName;
  std::uintptr_t offset = 0;
  if (auto module = platform::findModuleAt(address)) {
    moduleName = module->fileName;
    offset = address - module->base;
  } else {
    moduleName = platform::programFileName();
    offset = address == 0 ? 0 : address - codeSectionOffset;
  }
  std::string shownModule = fileNameWithoutDirectory(moduleName);
  if (shownModule.size() > 260) shownModule.resize(260);

  const std::string_view message = error != nullptr ? error->message() : std::string_view();
  const std::string_view period = !message.empty() && message.back() != '.' ? "." : "";
  std::string text =
      formatText(loadResString(sExceptionInModule),
                 {className, shownModule, FormatArg::address(offset), message, period});
  if (text.size() > fallbackTextLimit) text.resize(fallbackTextLimit);
  return text;
}

void reportUnhandledError(const Exception* error, const char* className, std::uintptr_t address) {
  platform::showLastResortText(formatFallbackText(error, className, address));
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
