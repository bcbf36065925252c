// Start-up time of pumpcalc.exe beside the floor, a program that opens one empty window,
// beside the same window with nine plain child windows, and beside a program that opens
// the calculator's windows and does nothing else: from
// CreateProcess until the program first waits for input (WaitForInputIdle), the programs
// in turn, in one run. Prints the median of each, the ratios and whether pumpcalc.exe stays
// within 1.2 times the floor.
//   startup_bench [RUNS] [OTHER.exe]   (the programs are looked for beside this one)
// OTHER.exe, when given, is timed in the same turns: another build of pumpcalc.exe (an
// earlier commit's, say), to compare the two within one run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring besideThisProgram(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, length);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

// Milliseconds from starting the program to its first idle wait; -1 on failure.
double timeToFirstIdle(const std::wstring& program, const wchar_t* arguments = L"") {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  LARGE_INTEGER frequency, start, idle;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return -1;
  }
  const DWORD waited = WaitForInputIdle(process.hProcess, 30000);
  QueryPerformanceCounter(&idle);
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (waited != 0) return -1;
  return 1000.0 * static_cast<double>(idle.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 21;
  const std::wstring floorProgram = besideThisProgram(L"minimal_window.exe");
  const std::wstring pumpcalc = besideThisProgram(L"pumpcalc.exe");
  std::wstring other;
  if (argc > 2) {
    for (const char* c = argv[2]; *c != '\0'; ++c) other.push_back(static_cast<wchar_t>(*c));
  }
  // One start each first, so that all find the system warm.
  timeToFirstIdle(floorProgram);
  timeToFirstIdle(pumpcalc);
  if (!other.empty()) timeToFirstIdle(other);
  std::vector<double> floorTimes, childrenTimes, windowsTimes, pumpcalcTimes, otherTimes;
  for (int i = 0; i < runs; ++i) {
    const double f = timeToFirstIdle(floorProgram);
    const double c = timeToFirstIdle(floorProgram, L"plain-children");
    const double w = timeToFirstIdle(floorProgram, L"calculator-windows");
    const double p = timeToFirstIdle(pumpcalc);
    const double o = other.empty() ? 0 : timeToFirstIdle(other);
    if (f < 0 || c < 0 || w < 0 || p < 0 || o < 0) {
      std::fprintf(stderr, "a program did not start or never became idle\n");
      return 1;
    }
    floorTimes.push_back(f);
    childrenTimes.push_back(c);
    windowsTimes.push_back(w);
    pumpcalcTimes.push_back(p);
    otherTimes.push_back(o);
  }
  const double floorMedian = median(floorTimes), childrenMedian = median(childrenTimes),
               windowsMedian = median(windowsTimes), pumpcalcMedian = median(pumpcalcTimes);
  const double ratio = pumpcalcMedian / floorMedian;
  std::printf("runs: %d each, in turn\n", runs);
  std::printf("minimal window:          %8.1f ms to first idle (median)\n", floorMedian);
  std::printf("nine plain child windows: %7.1f ms (%.2f x the minimal window)\n", childrenMedian,
              childrenMedian / floorMedian);
  std::printf("the calculator's windows: %7.1f ms (%.2f x the minimal window)\n", windowsMedian,
              windowsMedian / floorMedian);
  std::printf("pumpcalc.exe:            %8.1f ms (%.2f x the calculator's windows)\n",
              pumpcalcMedian, pumpcalcMedian / windowsMedian);
  if (!other.empty()) {
    const double otherMedian = median(otherTimes);
    std::printf("%s: %8.1f ms (pumpcalc.exe is %.2f x it)\n", argv[2], otherMedian,
                pumpcalcMedian / otherMedian);
  }
  std::printf("ratio to the minimal window %.2f (target <= 1.20): %s\n", ratio,
              ratio <= 1.2 ? "met" : "MISSED");
  return 0;
}
