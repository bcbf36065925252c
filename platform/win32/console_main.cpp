// The console entry point on Windows: arguments arrive as UTF-16 and are passed on as UTF-8;
// the standard streams are switched to binary so that LF is not written as CR LF.
#include "platform/console_main.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/text_encoding.h"

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> utf8;
  for (int i = 1; i < argc; ++i) utf8.push_back(pumpcalc::platform::toUtf8(argv[i]));
  pumpcalc::platform::StandardStreams streams;
  return pumpcalc::platform::consoleMain(std::vector<std::string_view>(utf8.begin(), utf8.end()),
                                         streams);
}
