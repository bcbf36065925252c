// A program that starts up as pumpcalc.exe does and then fails in the way its argument
// names, so that the tests can watch the last-resort path end it.
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "app/errors.h"
#include "app/program.h"
#include "core/pump_power.h"

namespace {

volatile int* volatile nowhere = nullptr;
volatile int depthLimit = -1;  // never reached: the recursion ends in a stack overflow

int recurse(int depth) {
  volatile char frame[4096];
  frame[0] = static_cast<char>(depth);
  if (depth == depthLimit) return 0;
  return recurse(depth + 1) + frame[0];
}

}  // namespace

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  return pumpcalc::runProgram([mode] {
    if (std::strcmp(mode, "read-null") == 0) std::printf("%d", *nowhere);
    if (std::strcmp(mode, "write-null") == 0) *nowhere = 1;
    if (std::strcmp(mode, "stack-overflow") == 0) std::printf("%d", recurse(0));
    if (std::strcmp(mode, "zero-divide") == 0) pumpcalc::calculatePumpPower("1", "1", "0");
    if (std::strcmp(mode, "convert") == 0) pumpcalc::calculatePumpPower("abc", "1", "1");
    if (std::strcmp(mode, "foreign") == 0) throw std::runtime_error("not ours");
  });
}
