// Time of the core conversions and the pump formula, each beside the C library's long double
// routine that does the same job on the same inputs, so that one run gives both figures.
//
// Every benchmark handles the whole input set per iteration and reports items per second,
// so the "_Pumpcalc" and "_Libc" lines of a pair compare directly.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/decimal_format.h"
#include "core/decimal_parse.h"
#include "core/extended_real.h"
#include "core/pump_power.h"

namespace {

using pumpcalc::ExtendedReal;

static_assert(std::numeric_limits<long double>::digits == 64 && sizeof(long double) >= 10,
              "the comparison needs long double to be the x87 80-bit format");

// Texts as users type them into the three boxes, plus a few that exercise long digit
// strings and large exponents.
constexpr std::array<const char*, 16> inputTexts = {
    "100",
    "50",
    "80",
    "367.2",
    "0.00272331154684096",
    "1e-30",
    "12.5",
    "-42.75",
    "123456789.123456789",
    "17.020697167756",
    "0.5",
    "3.14159265358979324",
    "1E300",
    "65.5",
    "2500",
    "0.000001",
};

// The same value as a long double: ExtendedReal holds exactly the x87 register image.
long double toLongDouble(ExtendedReal value) {
  long double result = 0;
  unsigned char bytes[sizeof(long double)] = {};
  std::memcpy(bytes, &value.significand, sizeof value.significand);
  std::memcpy(bytes + sizeof value.significand, &value.signExponent, sizeof value.signExponent);
  std::memcpy(&result, bytes, sizeof result);
  return result;
}

std::vector<ExtendedReal> parsedInputs() {
  std::vector<ExtendedReal> values;
  for (const char* text : inputTexts) {
    ExtendedReal value;
    if (!pumpcalc::tryTextToExtended(text, value)) std::abort();
    values.push_back(value);
  }
  return values;
}

// --- Text to number -------------------------------------------------------------------

void BM_Parse_Pumpcalc(benchmark::State& state) {
  std::vector<std::string_view> texts(inputTexts.begin(), inputTexts.end());
  for (auto _ : state) {
    for (std::string_view text : texts) {
      ExtendedReal value;
      const bool ok = pumpcalc::tryTextToExtended(text, value);
      benchmark::DoNotOptimize(ok);
      benchmark::DoNotOptimize(value);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}
BENCHMARK(BM_Parse_Pumpcalc);

void BM_Parse_Libc_strtold(benchmark::State& state) {
  for (auto _ : state) {
    for (const char* text : inputTexts) {
      char* end = nullptr;
      long double value = std::strtold(text, &end);
      benchmark::DoNotOptimize(value);
      benchmark::DoNotOptimize(end);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(inputTexts.size()));
}
BENCHMARK(BM_Parse_Libc_strtold);

// --- Number to text -------------------------------------------------------------------

void BM_Format_Pumpcalc_extendedToText(benchmark::State& state) {
  const std::vector<ExtendedReal> values = parsedInputs();
  for (auto _ : state) {
    for (ExtendedReal value : values) {
      std::string text = pumpcalc::extendedToText(value);
      benchmark::DoNotOptimize(text.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_Format_Pumpcalc_extendedToText);

// The same digits into a caller's buffer, as the batch mode writes them: no std::string.
void BM_Format_Pumpcalc_formatGeneral(benchmark::State& state) {
  const std::vector<ExtendedReal> values = parsedInputs();
  char buffer[pumpcalc::formatBufferSize];
  for (auto _ : state) {
    for (ExtendedReal value : values) {
      std::size_t length = pumpcalc::formatGeneral(value, 15, 0, buffer);
      benchmark::DoNotOptimize(length);
      benchmark::DoNotOptimize(buffer);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_Format_Pumpcalc_formatGeneral);

void BM_Format_Libc_snprintf(benchmark::State& state) {
  std::vector<long double> values;
  for (ExtendedReal value : parsedInputs()) values.push_back(toLongDouble(value));
  char buffer[64];
  for (auto _ : state) {
    for (long double value : values) {
      int length = std::snprintf(buffer, sizeof buffer, "%.15Lg", value);
      benchmark::DoNotOptimize(length);
      benchmark::DoNotOptimize(buffer);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_Format_Libc_snprintf);

// --- The whole calculation ------------------------------------------------------------

struct PumpInput {
  const char* flow;
  const char* head;
  const char* efficiency;
};
constexpr std::array<PumpInput, 6> pumpInputs = {{
    {"100", "50", "80"},
    {"50", "20", "70"},
    {"12.5", "32", "65.5"},
    {"2500", "120", "88"},
    {"0.75", "8.5", "35"},
    {"367.2", "100", "100"},
}};

void BM_PumpPower_Pumpcalc(benchmark::State& state) {
  for (auto _ : state) {
    for (const PumpInput& input : pumpInputs) {
      pumpcalc::PumpPowerTexts texts =
          pumpcalc::calculatePumpPower(input.flow, input.head, input.efficiency);
      benchmark::DoNotOptimize(texts.shaftPower.data());
      benchmark::DoNotOptimize(texts.upperMotorPower.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(pumpInputs.size()));
}
BENCHMARK(BM_PumpPower_Pumpcalc);

// The same formula with the hardware's long double and the C library's conversions, for
// scale: strtold three times, the operations with the same double roundings, snprintf three
// times. It has none of the error reporting.
void BM_PumpPower_Libc_longDouble(benchmark::State& state) {
  char shaft[64], lower[64], upper[64];
  for (auto _ : state) {
    for (const PumpInput& input : pumpInputs) {
      const long double flow = std::strtold(input.flow, nullptr);
      const long double head = std::strtold(input.head, nullptr);
      const long double product = static_cast<double>(head * flow);
      const long double efficiency = std::strtold(input.efficiency, nullptr);
      const long double divisor = static_cast<double>(efficiency * 367.2L * 0.01L);
      const long double n = product / divisor;
      std::snprintf(shaft, sizeof shaft, "%.15Lg", n);
      std::snprintf(lower, sizeof lower, "%.15Lg", 1.1L * product / divisor);
      std::snprintf(upper, sizeof upper, "%.15Lg", 1.2L * product / divisor);
      benchmark::DoNotOptimize(shaft);
      benchmark::DoNotOptimize(lower);
      benchmark::DoNotOptimize(upper);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(pumpInputs.size()));
}
BENCHMARK(BM_PumpPower_Libc_longDouble);

// The console output (always the console format; --benchmark_out=FILE still writes JSON
// beside it), and each benchmark's time per item kept for the targets below. With
// repetitions, the median of the repetitions counts.
class TargetReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that a saved run stays plain text.
  TargetReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& reports) override {
    ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
      if (run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      const auto items = run.counters.find("items_per_second");
      if (items == run.counters.end() || items->second.value <= 0) continue;
      auto& times = median ? medians_ : secondsPerItem_;
      times[run.run_name.str()].push_back(1.0 / items->second.value);
    }
  }

  // Seconds per item, or a negative value when the benchmark did not run.
  double secondsPerItem(const std::string& name) const {
    if (const auto median = medians_.find(name); median != medians_.end()) {
      return median->second.front();
    }
    const auto found = secondsPerItem_.find(name);
    if (found == secondsPerItem_.end()) return -1;
    std::vector<double> times = found->second;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }

 private:
  std::map<std::string, std::vector<double>> secondsPerItem_;  // each repetition
  std::map<std::string, std::vector<double>> medians_;         // the "median" aggregates
};

// Prints "ours / theirs" for a pair and whether the ratio is within `limit`.
void printTarget(const TargetReporter& reporter, const char* what, const std::string& ours,
                 const std::string& theirs, double limit) {
  const double a = reporter.secondsPerItem(ours), b = reporter.secondsPerItem(theirs);
  if (a < 0 || b < 0) return;
  const double ratio = a / b;
  std::printf("%-44s %8.1f ns vs %8.1f ns  ratio %.3f (target <= %.2f): %s\n", what, a * 1e9,
              b * 1e9, ratio, limit, ratio <= limit ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TargetReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\nTargets (time per item, pumpcalc vs C library):\n");
  printTarget(reporter, "parse: tryTextToExtended vs strtold", "BM_Parse_Pumpcalc",
              "BM_Parse_Libc_strtold", 1.0);
  printTarget(reporter, "format: extendedToText vs snprintf %.15Lg",
              "BM_Format_Pumpcalc_extendedToText", "BM_Format_Libc_snprintf", 0.25);
  printTarget(reporter, "format: formatGeneral vs snprintf %.15Lg",
              "BM_Format_Pumpcalc_formatGeneral", "BM_Format_Libc_snprintf", 0.25);
  return 0;
}
