// pumpcalc-cli: the pump power calculation from the command line, one pump or a schedule.
#include <clocale>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"
#include "cli/command_line.h"
#include "core/error_mapping.h"
#include "core/errors.h"
#include "core/locale_numbers.h"
#include "core/pump_power.h"
#include "platform/locale.h"
#include "platform/system_services.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "platform/win32/text_encoding.h"
#endif

namespace pumpcalc::cli {
namespace {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

int run(const std::vector<std::string_view>& args) {
  platform::installSystemServices();
  installErrorHooks(nullptr);
  const auto parsed = parseCommandLine(args);
  if (const auto* usage = std::get_if<UsageError>(&parsed)) {
    std::fprintf(stderr, "pumpcalc-cli: %s\nTry 'pumpcalc-cli --help'.\n", usage->message.c_str());
    return exitUsage;
  }
  const Options& options = std::get<Options>(parsed);
  if (options.mode == Mode::help) {
    std::fputs(helpText, stdout);
    return exitSuccess;
  }

  platform::loadLocaleNumberSettings();
  if (options.decimalSeparator) DecimalSeparatorChar = *options.decimalSeparator;

  if (options.mode == Mode::batch) {
    BatchSummary summary;
    if (!runBatch(stdin, stdout, summary)) {
      std::perror("pumpcalc-cli: batch");
      return exitFailure;
    }
    return summary.failedLines == 0 ? exitSuccess : exitFailure;
  }

  try {
    const PumpPowerTexts texts = calculatePumpPower(options.flow, options.head, options.efficiency);
    std::printf("%s\n%s\n%s\n", texts.shaftPower.c_str(), texts.lowerMotorPower.c_str(),
                texts.upperMotorPower.c_str());
    return std::fflush(stdout) == 0 ? exitSuccess : exitFailure;
  } catch (const Exception& error) {
    std::fprintf(stderr, "%s\n", error.message().c_str());
    return exitFailure;
  }
}

}  // namespace
}  // namespace pumpcalc::cli

#ifdef _WIN32
// Arguments arrive as UTF-16 and are taken as UTF-8; output bytes are written unchanged
// (no CR before LF), so both builds print the same bytes.
int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> utf8;
  for (int i = 1; i < argc; ++i) utf8.push_back(pumpcalc::platform::toUtf8(argv[i]));
  return pumpcalc::cli::run(std::vector<std::string_view>(utf8.begin(), utf8.end()));
}
#else
int main(int argc, char** argv) {
  // The user's LC_NUMERIC decides the decimal separator.
  std::setlocale(LC_NUMERIC, "");
  return pumpcalc::cli::run(std::vector<std::string_view>(argv + 1, argv + argc));
}
#endif
