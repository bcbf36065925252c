// pumpcalc-cli: the pump power calculation from the command line, one pump or a schedule.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/batch.h"
#include "cli/command_line.h"
#include "cli/encoding.h"
#include "core/errors.h"
#include "core/float_unit.h"
#include "core/locale_numbers.h"
#include "core/motor_rating.h"
#include "core/pump_power.h"
#include "platform/console_main.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/streams.h"

namespace pumpcalc::cli {
namespace {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// Without --threads, one thread for each processor, at most this many.
constexpr unsigned maxDefaultThreads = 16;

// A list of ratings is short; anything longer is not one.
constexpr std::size_t maxRatingsFileBytes = std::size_t{1} << 20;

// Writes `text` to the stream; what cannot be written is lost, as nothing else could say so.
void print(platform::OutputStream& stream, std::string_view text) {
  std::string error;
  stream.write(text, error);
}

int usage(platform::StandardStreams& streams, const std::string& message) {
  print(streams.error, "pumpcalc-cli: " + message + "\nTry 'pumpcalc-cli --help'.\n");
  return exitUsage;
}

int failure(platform::StandardStreams& streams, const std::string& message) {
  print(streams.error, "pumpcalc-cli: " + message + "\n");
  return exitUsage;
}

// The ratings that --motor-rating and --motor-ratings ask for, or the message why not.
std::variant<MotorRatings, std::string> loadRatings(const Options& options) {
  if (!options.motorRatingsFile) return standardMotorRatings();
  const std::string& name = *options.motorRatingsFile;
  std::string error;
  const platform::UniqueStream file = platform::openFileForReading(name, error);
  if (!file) return "cannot open " + quoted(name) + ": " + error;
  std::string text(maxRatingsFileBytes + 1, '\0');
  const std::size_t size = std::fread(text.data(), 1, text.size(), file.get());
  if (std::ferror(file.get()) != 0) return "cannot read " + quoted(name);
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
              const MotorRatings* ratings, platform::StandardStreams& streams) {
  try {
    FloatUnitState& unit = floatUnit();
    // Water's specific gravity, where none is given, changes no bit.
    const PumpValues result =
        calculatePumpPowerValues([&] { return options.flow; }, [&] { return options.head; },
                                 [&] { return options.specificGravity.value_or("1"); },
                                 [&] { return options.efficiency; }, unit);
    ExtendedReal required;
    if (margin) required = requiredMotorPower(*margin, result.product, result.divisor, unit);
    std::string text = extendedToText(result.shaftPower) + "\n" +
                       extendedToText(result.lowerMotorPower) + "\n" +
                       extendedToText(result.upperMotorPower) + "\n";
    if (margin) text += extendedToText(required) + "\n";
    if (ratings != nullptr) {
      const RatingChoice choice = ratings->choose(margin ? required : result.lowerMotorPower);
      text += (choice.aboveLargest ? ">" : "") + choice.rating.text + "\n";
    }
    std::string error;
    return streams.output.write(text, error) && streams.output.flush(error) ? exitSuccess
                                                                            : exitFailure;
  } catch (const Exception& error) {
    print(streams.error, error.message() + "\n");
    return exitFailure;
  }
}

BatchSettings batchSettings(const Options& options, const TableDialect& dialect,
                            const std::optional<ExtendedReal>& margin, const MotorRatings* ratings,
                            bool outputIsConsole) {
  const unsigned processors = std::min(platform::processorCount(), maxDefaultThreads);
  // A console carries characters: what is typed arrives as UTF-8, and what it shows is
  // written so.
  return {.dialect = dialect,
          .header = options.header,
          .columns = options.columns,
          .ratings = ratings,
          .specificGravity = options.specificGravity,
          .margin = margin,
          .threads = options.threads.value_or(processors),
          .outputInUtf8 = !options.outputFile && outputIsConsole};
}

// Reads the schedule from `input` in its encoding (--encoding's, or the one auto finds) and
// writes the results to --output or standard output.
int runBatchOn(platform::InputStream& input, const std::string& inputName, const Options& options,
               BatchSettings settings, platform::StandardStreams& streams) {
  try {
    StreamSource stream(input, inputName);
    std::optional<LookAheadSource> lookAhead;
    std::variant<EncodingChoice, std::string> choice =
        input.isConsole() ? EncodingChoice::utf8 : options.encoding;
    if (choice == decltype(choice)(EncodingChoice::automatic)) {
      lookAhead.emplace(stream, encodingLookAheadBytes);
      choice = automaticEncoding(lookAhead->head(), lookAhead->headIsWhole(), inputName);
    }
    if (const auto* message = std::get_if<std::string>(&choice)) return failure(streams, *message);
    auto codec = textCodec(std::get<EncodingChoice>(choice));
    if (const auto* message = std::get_if<std::string>(&codec)) return failure(streams, *message);
    settings.encoding = std::get<std::unique_ptr<platform::TextCodec>>(codec).get();
    ByteSource& source = lookAhead ? static_cast<ByteSource&>(*lookAhead) : stream;
    BatchSummary summary;
    if (options.outputFile) {
      summary = runBatchIntoFile(source, *options.outputFile, settings);
    } else {
      StreamSink sink(streams.output, "standard output");
      summary = runBatch(source, sink, settings);
    }
    return summary.failedLines == 0 ? exitSuccess : exitFailure;
  } catch (const BatchFailure& batchFailure) {
    return failure(streams, batchFailure.what());
  }
}

int runBatchMode(const Options& options, const std::optional<ExtendedReal>& margin,
                 const MotorRatings* ratings, platform::StandardStreams& streams) {
  const auto dialect = batchDialect(options, DecimalSeparatorChar);
  if (const auto* bad = std::get_if<UsageError>(&dialect)) return usage(streams, bad->message);

  platform::InputStream* input = &streams.input;
  std::string inputName = "standard input";
  platform::UniqueStream inputFile;
  std::optional<platform::InputStream> inputFileStream;
  if (options.inputFile) {
    std::string error;
    inputName = quoted(*options.inputFile);
    inputFile = platform::openFileForReading(*options.inputFile, error);
    if (!inputFile) return failure(streams, "cannot open " + inputName + ": " + error);
    input = &inputFileStream.emplace(inputFile.get());
  }

  // Writing into the file being read would lose it.
  const std::optional<platform::FileIdentity> inputIdentity =
      platform::streamIdentity(input->stream());
  if (inputIdentity) {
    if (options.outputFile && platform::fileIdentity(*options.outputFile) == inputIdentity) {
      return usage(streams, "--output " + quoted(*options.outputFile) + " is the input file");
    }
    if (!options.outputFile && platform::streamIdentity(streams.output.stream()) == inputIdentity) {
      return usage(streams, "standard output is the input file");
    }
  }
  return runBatchOn(*input, inputName, options,
                    batchSettings(options, std::get<TableDialect>(dialect), margin, ratings,
                                  streams.output.isConsole()),
                    streams);
}

int run(const std::vector<std::string_view>& args, platform::StandardStreams& streams) {
  const auto parsed = parseCommandLine(args);
  if (const auto* bad = std::get_if<UsageError>(&parsed)) return usage(streams, bad->message);
  const Options& options = std::get<Options>(parsed);
  if (options.mode == Mode::help) {
    print(streams.output, helpText);
    return exitSuccess;
  }

  platform::loadLocaleNumberSettings();
  if (options.decimalSeparator) DecimalSeparatorChar = *options.decimalSeparator;

  std::optional<ExtendedReal> margin;
  if (options.margin) {
    const auto value = marginValue(*options.margin);
    if (const auto* bad = std::get_if<UsageError>(&value)) return usage(streams, bad->message);
    margin = std::get<ExtendedReal>(value);
  }
  std::optional<MotorRatings> ratings;
  if (options.motorRating) {
    auto loaded = loadRatings(options);
    if (const auto* message = std::get_if<std::string>(&loaded)) return usage(streams, *message);
    ratings = std::get<MotorRatings>(std::move(loaded));
  }
  const MotorRatings* ratingList = ratings ? &*ratings : nullptr;
  return options.mode == Mode::batch ? runBatchMode(options, margin, ratingList, streams)
                                     : runSingle(options, margin, ratingList, streams);
}

}  // namespace
}  // namespace pumpcalc::cli

int pumpcalc::platform::consoleMain(const std::vector<std::string_view>& arguments,
                                    StandardStreams& streams) {
  return pumpcalc::cli::run(arguments, streams);
}
