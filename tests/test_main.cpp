// The tests run with the error hooks installed, as the programs do after start-up.
#include <gtest/gtest.h>

#include "app/error_mapping.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  pumpcalc::installErrorHooks(nullptr);
  const int result = RUN_ALL_TESTS();
  pumpcalc::removeErrorHooks();
  return result;
}
