// The tests run as the programs do after start-up: the platform's services plugged in and
// the error hooks installed.
#include <gtest/gtest.h>

#include "core/error_mapping.h"
#include "platform/system_services.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  pumpcalc::platform::installSystemServices();
  pumpcalc::installErrorHooks(nullptr);
  const int result = RUN_ALL_TESTS();
  pumpcalc::removeErrorHooks();
  return result;
}
