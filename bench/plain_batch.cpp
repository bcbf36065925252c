// The yardstick for pumpcalc-cli's batch throughput: the same formula with doubles, parsed
// with std::from_chars and written with std::to_chars(general, 15), as a plain C++ program
// would do it. Its results are doubles, not the exact extended ones, and it checks nothing.
//
//   plain_batch < pumps.tsv         flow<TAB>head<TAB>efficiency lines
//   plain_batch --csv < pumps.csv   a header line, comma-separated fields (no quoting),
//                                   CRLF kept; adds the motor rating as pumpcalc-cli's
//                                   --motor-rating does
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr double ratings[] = {0.06, 0.09, 0.12, 0.18, 0.25, 0.37, 0.55, 0.75, 1.1, 1.5, 2.2,
                              3,    4,    5.5,  7.5,  11,   15,   18.5, 22,   30,  37,  45,
                              55,   75,   90,   110,  132,  160,  200,  250,  315, 355, 400,
                              450,  500,  560,  630,  710,  800,  900,  1000};

void appendDouble(std::string& out, double value) {
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
  out.append(text, result.ptr);
}

void processLine(std::string_view line, char separator, bool rating, std::string& out) {
  const bool crlf = !line.empty() && line.back() == '\r';
  if (crlf) line.remove_suffix(1);
  double values[3] = {};
  const char* p = line.data();
  const char* const end = p + line.size();
  for (double& value : values) {
    p = std::from_chars(p, end, value).ptr;
    if (p != end) ++p;  // the separator
  }
  const double n = values[0] * values[1] / (367.2 * values[2] * 0.01);
  out.append(line);
  for (const double result : {n, 1.1 * n, 1.2 * n}) {
    out.push_back(separator);
    appendDouble(out, result);
  }
  if (rating) {
    out.push_back(separator);
    const double* found = std::lower_bound(std::begin(ratings), std::end(ratings), 1.1 * n);
    if (found == std::end(ratings)) {
      out.push_back('>');
      found = std::end(ratings) - 1;
    }
    appendDouble(out, *found);
  }
  out.append(crlf ? "\r\n" : "\n");
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Bytes in and out as they are, as pumpcalc-cli.exe reads and writes them.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  const bool csv = argc > 1 && std::strcmp(argv[1], "--csv") == 0;
  const char separator = csv ? ',' : '\t';
  std::vector<char> buffer(1 << 16);
  std::string out;
  std::size_t filled = 0;
  bool header = csv;
  for (;;) {
    const std::size_t read = std::fread(buffer.data() + filled, 1, buffer.size() - filled, stdin);
    const std::size_t available = filled + read;
    std::size_t start = 0;
    while (const void* newline = std::memchr(buffer.data() + start, '\n', available - start)) {
      const std::size_t end =
          static_cast<std::size_t>(static_cast<const char*>(newline) - buffer.data());
      std::string_view line(buffer.data() + start, end - start);
      if (header) {
        const bool crlf = !line.empty() && line.back() == '\r';
        if (crlf) line.remove_suffix(1);
        out.append(line).append(
            ",shaft power (kW),lower motor power (kW),upper motor power (kW),motor rating (kW)");
        out.append(crlf ? "\r\n" : "\n");
        header = false;
      } else {
        processLine(line, separator, csv, out);
      }
      if (out.size() >= (1 << 16)) {
        std::fwrite(out.data(), 1, out.size(), stdout);
        out.clear();
      }
      start = end + 1;
    }
    if (read == 0) {
      if (start != available)
        processLine({buffer.data() + start, available - start}, separator, csv, out);
      break;
    }
    if (start == 0 && available == buffer.size()) buffer.resize(buffer.size() * 2);
    std::memmove(buffer.data(), buffer.data() + start, available - start);
    filled = available - start;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
