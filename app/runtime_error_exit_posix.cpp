// Without a window system the runtime-error text goes to standard error.
#include <cstdio>
#include <cstdlib>

#include "app/error_mapping.h"
#include "app/runtime_error_exit.h"

namespace pumpcalc {

void runtimeErrorExit(int number, std::uintptr_t address) {
  std::fprintf(stderr, "%s\n", runtimeErrorText(number, address).c_str());
  std::exit(number);
}

}  // namespace pumpcalc
