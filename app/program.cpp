#include "app/program.h"

#include <memory>

#include "app/application.h"
#include "app/last_resort.h"
#include "core/error_mapping.h"
#include "core/float_unit.h"
#include "platform/last_resort.h"
#include "platform/locale.h"
#include "platform/system_services.h"
#include "platform/win32/message_box.h"

namespace pumpcalc {

int runProgram(const std::function<void()>& body) {
  try {
    platform::installSystemServices();
    platform::reportRuntimeErrorsInBox();
    resetFloatUnit();
    platform::installLastResortHandler();
    installErrorHooks(reportUnhandledError);
    platform::loadLocaleNumberSettings();
    {
      // Application names the object until it is gone, also while an escaping error
      // destroys it with the windows that still need it.
      struct Release {
        ~Release() { Application = nullptr; }
      } release;
      auto application = std::make_unique<TApplication>();
      Application = application.get();
      body();
      application->shutDown();
    }
    removeErrorHooks();
    return 0;
  } catch (...) {
    resetFloatUnit();
    platform::handleEscapedError();
  }
}

}  // namespace pumpcalc
