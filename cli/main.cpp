// pumpcalc-cli: the pump power calculation from the command line, one pump or a schedule.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"
#include "cli/command_line.h"
#include "core/errors.h"
#include "core/float_unit.h"
#include "core/locale_numbers.h"
#include "core/motor_rating.h"
#include "core/pump_power.h"
#include "platform/console_main.h"
#include "platform/files.h"
#include "platform/locale.h"

namespace pumpcalc::cli {
namespace {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// Without --threads, one thread for each processor, at most this many.
constexpr unsigned maxDefaultThreads = 16;

// A list of ratings is short; anything longer is not one.
constexpr std::size_t maxRatingsFileBytes = std::size_t{1} << 20;

int usage(const std::string& message) {
  std::fprintf(stderr, "pumpcalc-cli: %s\nTry 'pumpcalc-cli --help'.\n", message.c_str());
  return exitUsage;
}

int failure(const std::string& message) {
  std::fprintf(stderr, "pumpcalc-cli: %s\n", message.c_str());
  return exitUsage;
}

// The ratings that --motor-rating and --motor-ratings ask for, or the message why not.
std::variant<MotorRatings, std::string> loadRatings(const Options& options) {
  if (!options.motorRatingsFile) return standardMotorRatings();
  const std::string& name = *options.motorRatingsFile;
  std::string error;
  std::FILE* file = platform::openFileForReading(name, error);
  if (file == nullptr) return "cannot open " + quoted(name) + ": " + error;
  std::string text(maxRatingsFileBytes + 1, '\0');
  const std::size_t size = std::fread(text.data(), 1, text.size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return "cannot read " + quoted(name);
  if (size > maxRatingsFileBytes) return "--motor-ratings " + quoted(name) + " is over 1 MiB";
  text.resize(size);
  auto ratings = parseMotorRatings(text);
  if (auto* bad = std::get_if<MotorRatingsError>(&ratings)) {
    return "--motor-ratings " + quoted(name) +
           (bad->line != 0 ? ": line " + std::to_string(bad->line) : "") + ": " + bad->message;
  }
  return std::get<MotorRatings>(std::move(ratings));
}

int runSingle(const Options& options, const std::optional<ExtendedReal>& margin,
              const MotorRatings* ratings) {
  try {
    FloatUnitState& unit = floatUnit();
    // Water's specific gravity, where none is given, changes no bit.
    const PumpValues result =
        calculatePumpPowerValues([&] { return options.flow; }, [&] { return options.head; },
                                 [&] { return options.specificGravity.value_or("1"); },
                                 [&] { return options.efficiency; }, unit);
    ExtendedReal required;
    if (margin) required = requiredMotorPower(*margin, result.product, result.divisor, unit);
    std::printf("%s\n%s\n%s\n", extendedToText(result.shaftPower).c_str(),
                extendedToText(result.lowerMotorPower).c_str(),
                extendedToText(result.upperMotorPower).c_str());
    if (margin) std::printf("%s\n", extendedToText(required).c_str());
    if (ratings != nullptr) {
      const RatingChoice choice = ratings->choose(margin ? required : result.lowerMotorPower);
      std::printf("%s%s\n", choice.aboveLargest ? ">" : "", choice.rating.text.c_str());
    }
    return std::fflush(stdout) == 0 ? exitSuccess : exitFailure;
  } catch (const Exception& error) {
    std::fprintf(stderr, "%s\n", error.message().c_str());
    return exitFailure;
  }
}

int runBatchMode(const Options& options, const std::optional<ExtendedReal>& margin,
                 const MotorRatings* ratings) {
  const auto dialect = batchDialect(options, DecimalSeparatorChar);
  if (const auto* bad = std::get_if<UsageError>(&dialect)) return usage(bad->message);

  std::FILE* input = stdin;
  std::string inputName = "standard input";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> inputFile(nullptr, std::fclose);
  if (options.inputFile) {
    std::string error;
    inputName = quoted(*options.inputFile);
    inputFile.reset(platform::openFileForReading(*options.inputFile, error));
    if (!inputFile) return failure("cannot open " + inputName + ": " + error);
    input = inputFile.get();
  }

  // Writing into the file being read would lose it.
  const std::optional<platform::FileIdentity> inputIdentity = platform::streamIdentity(input);
  if (inputIdentity) {
    if (options.outputFile && platform::fileIdentity(*options.outputFile) == inputIdentity) {
      return usage("--output " + quoted(*options.outputFile) + " is the input file");
    }
    if (!options.outputFile && platform::streamIdentity(stdout) == inputIdentity) {
      return usage("standard output is the input file");
    }
  }

  BatchSettings settings;
  settings.dialect = std::get<TableDialect>(dialect);
  settings.header = options.header;
  settings.columns = options.columns;
  settings.ratings = ratings;
  settings.specificGravity = options.specificGravity;
  settings.margin = margin;
  settings.threads =
      options.threads ? *options.threads : std::min(platform::processorCount(), maxDefaultThreads);
  try {
    StreamSource source(input, inputName);
    BatchSummary summary;
    if (options.outputFile) {
      summary = runBatchIntoFile(source, *options.outputFile, settings);
    } else {
      StreamSink sink(stdout, "standard output");
      summary = runBatch(source, sink, settings);
    }
    return summary.failedLines == 0 ? exitSuccess : exitFailure;
  } catch (const BatchFailure& batchFailure) {
    return failure(batchFailure.what());
  }
}

int run(const std::vector<std::string_view>& args) {
  const auto parsed = parseCommandLine(args);
  if (const auto* bad = std::get_if<UsageError>(&parsed)) return usage(bad->message);
  const Options& options = std::get<Options>(parsed);
  if (options.mode == Mode::help) {
    std::fputs(helpText, stdout);
    return exitSuccess;
  }

  platform::loadLocaleNumberSettings();
  if (options.decimalSeparator) DecimalSeparatorChar = *options.decimalSeparator;

  std::optional<ExtendedReal> margin;
  if (options.margin) {
    const auto value = marginValue(*options.margin);
    if (const auto* bad = std::get_if<UsageError>(&value)) return usage(bad->message);
    margin = std::get<ExtendedReal>(value);
  }
  std::optional<MotorRatings> ratings;
  if (options.motorRating) {
    auto loaded = loadRatings(options);
    if (const auto* message = std::get_if<std::string>(&loaded)) return usage(*message);
    ratings = std::get<MotorRatings>(std::move(loaded));
  }
  const MotorRatings* ratingList = ratings ? &*ratings : nullptr;
  return options.mode == Mode::batch ? runBatchMode(options, margin, ratingList)
                                     : runSingle(options, margin, ratingList);
}

}  // namespace
}  // namespace pumpcalc::cli

int pumpcalc::platform::consoleMain(const std::vector<std::string_view>& arguments) {
  return pumpcalc::cli::run(arguments);
}
