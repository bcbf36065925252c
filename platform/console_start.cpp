// How every console program starts, and how it ends when an error escapes it.
#include "core/error_mapping.h"
#include "core/float_unit.h"
#include "platform/console_main.h"
#include "platform/last_resort.h"
#include "platform/system_services.h"

namespace pumpcalc::platform {

int runConsoleProgram(const std::vector<std::string_view>& arguments) {
  try {
    installSystemServices();
    resetFloatUnit();
    installLastResortHandler();
    installErrorHooks(reportUnhandledErrorAsText);
    StandardStreams streams;
    return consoleMain(arguments, streams);
  } catch (...) {
    resetFloatUnit();
    handleEscapedError();
  }
}

}  // namespace pumpcalc::platform
