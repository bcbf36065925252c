#include "app/program.h"

#include <memory>

#include "app/application.h"
#include "app/error_mapping.h"
#include "app/last_resort.h"
#include "core/float_unit.h"
#include "core/locale_numbers.h"
#include "platform/last_resort_win32.h"

namespace pumpcalc {

int runProgram(const std::function<void()>& body) {
  try {
    resetFloatUnit();
    platform::installLastResortHandler();
    installErrorHooks(reportUnhandledError);
    loadLocaleNumberSettings();
    {
      auto application = std::make_unique<TApplication>();
      Application = application.get();
      struct Release {
        ~Release() { Application = nullptr; }
      } release;
      body();
      application->shutDown();
    }
    removeErrorHooks();
    return 0;
  } catch (...) {
    resetFloatUnit();
    handleEscapedError();
  }
}

}  // namespace pumpcalc
