// The floor for a console program's start-up: prints the three lines that
// `pumpcalc-cli 100 50 80` prints, as bytes (LF line ends on Windows too), and nothing else.
// Built with the same toolchain and flags as pumpcalc-cli, in both builds.
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::fputs("17.020697167756\n18.7227668845316\n20.4248366013072\n", stdout);
  return 0;
}
