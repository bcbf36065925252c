// A console program built from pumpcalc-cli.exe's entry point that fails in the ways its
// arguments name, in turn ("remove-hooks" first removes the error hooks), so that the tests
// can watch what a console program reports and that it opens no window.
#include <string_view>
#include <vector>

#include "core/error_mapping.h"
#include "platform/console_main.h"
#include "tests/support/fault_modes.h"

int pumpcalc::platform::consoleMain(const std::vector<std::string_view>& arguments,
                                    StandardStreams&) {
  for (const std::string_view mode : arguments) {
    if (mode == "remove-hooks") removeErrorHooks();
    probe::failAs(mode);
  }
  return 0;
}
