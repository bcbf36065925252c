// The long comparison of the software x87 arithmetic with the hardware: the same generated
// cases as the unit test, many more of them; then as many values and texts through the
// shortcuts of the conversions and the double rounding, against the plain operation
// sequence. Not part of the
// default test run.
//
//   extended_real_sweep [cases-per-operation] [seed]
//
// The count may also come from PUMPCALC_SWEEP_CASES; the default is 100,000,000 per
// operation. Exits 0 when every case matched, 1 otherwise, 2 where there is no x87.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/core/shortcut_comparison.h"
#include "tests/core/x87_comparison.h"

int main(int argc, char** argv) {
#if PUMPCALC_HAVE_X87_REFERENCE
  using namespace pumpcalc::x87test;
  std::uint64_t count = 100'000'000;
  if (const char* env = std::getenv("PUMPCALC_SWEEP_CASES")) count = std::stoull(env);
  if (argc > 1) count = std::stoull(argv[1]);
  const std::uint64_t seed = argc > 2 ? std::stoull(argv[2], nullptr, 0) : 0x5EED'0F'87ull;
  constexpr std::uint64_t maxFailuresPerOperation = 20;

  std::uint64_t totalCases = 0, totalFailures = 0;
  for (Operation op : allOperations) {
    const auto start = std::chrono::steady_clock::now();
    // A different stream per operation, so that each sees its own cases.
    const std::uint64_t opSeed = seed + 0x1000'0000ull * static_cast<std::uint64_t>(op);
    const RunSummary s = compareRandomCases(op, count, opSeed, maxFailuresPerOperation, stdout);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%-8s %llu cases, %llu mismatches, %.1f s\n", operationName(op),
                static_cast<unsigned long long>(s.cases),
                static_cast<unsigned long long>(s.failures), elapsed.count());
    std::fflush(stdout);
    totalCases += s.cases;
    totalFailures += s.failures;
  }
  {
    const auto start = std::chrono::steady_clock::now();
    const pumpcalc::shortcuttest::Summary s =
        pumpcalc::shortcuttest::compareShortcuts(count, seed, stdout);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%-8s %llu cases, %llu mismatches, %.1f s\n", "shortcut",
                static_cast<unsigned long long>(s.cases),
                static_cast<unsigned long long>(s.failures), elapsed.count());
    totalCases += s.cases;
    totalFailures += s.failures;
  }
  std::printf("%llu passed, %llu failed\n",
              static_cast<unsigned long long>(totalCases - totalFailures),
              static_cast<unsigned long long>(totalFailures));
  return totalFailures == 0 ? 0 : 1;
#else
  (void)argc;
  (void)argv;
  std::puts("no x87 on this target: nothing to compare");
  return 2;
#endif
}
