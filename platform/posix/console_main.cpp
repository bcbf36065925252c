// The console entry point on POSIX systems: arguments and streams are bytes already.
#include "platform/console_main.h"

#include <clocale>

int main(int argc, char** argv) {
  // The user's LC_NUMERIC decides the decimal separator.
  std::setlocale(LC_NUMERIC, "");
  pumpcalc::platform::StandardStreams streams;
  return pumpcalc::platform::consoleMain(std::vector<std::string_view>(argv + 1, argv + argc),
                                         streams);
}
