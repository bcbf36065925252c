#include "app/program.h"

#include "app/error_mapping.h"
#include "app/last_resort.h"
#include "core/float_unit.h"
#include "core/locale_numbers.h"

#ifdef _WIN32
#include "platform/last_resort_win32.h"
#endif

namespace pumpcalc {

int runProgram(const std::function<void()>& body) {
  try {
    resetFloatUnit();
#ifdef _WIN32
    platform::installLastResortHandler();
#endif
    installErrorHooks(reportUnhandledError);
    loadLocaleNumberSettings();
    body();
    removeErrorHooks();
    return 0;
  } catch (...) {
    resetFloatUnit();
    handleEscapedError();
  }
}

}  // namespace pumpcalc
