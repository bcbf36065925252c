#include "cli/batch.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/decimal_format.h"
#include "core/errors.h"
#include "core/pump_power.h"

namespace pumpcalc::cli {
namespace {

constexpr std::size_t ioChunk = 1 << 16;

// Collects output and writes it in large chunks.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::FILE* out) : out_(out) { data_.reserve(2 * ioChunk); }

  void append(std::string_view text) { data_.append(text); }
  void append(char c) { data_.push_back(c); }
  bool flushIfFull() { return data_.size() < ioChunk || flush(); }
  bool flush() {
    const bool written = std::fwrite(data_.data(), 1, data_.size(), out_) == data_.size();
    data_.clear();
    return written;
  }

 private:
  std::FILE* out_;
  std::string data_;
};

void appendNumber(OutputBuffer& output, ExtendedReal value) {
  char text[formatBufferSize];
  output.append(std::string_view(text, formatGeneral(value, 15, 0, text)));
}

void processLine(std::string_view line, OutputBuffer& output, BatchSummary& summary) {
  ++summary.lines;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  output.append(line);
  output.append('\t');

  std::string_view fields[3];
  std::size_t fieldCount = 0;
  for (std::size_t start = 0;; ++fieldCount) {
    const std::size_t tab = line.find('\t', start);
    if (fieldCount < 3) fields[fieldCount] = line.substr(start, tab - start);
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  ++fieldCount;

  if (fieldCount != 3) {
    ++summary.failedLines;
    output.append("error\texpected 3 tab-separated fields (flow, head, efficiency), found ");
    output.append(std::to_string(fieldCount));
    output.append('\n');
    return;
  }
  try {
    const PumpResult result = calculatePumpPowerValues(
        [&] { return fields[0]; }, [&] { return fields[1]; }, [&] { return fields[2]; });
    appendNumber(output, result.shaftPower);
    output.append('\t');
    appendNumber(output, result.lowerMotorPower);
    output.append('\t');
    appendNumber(output, result.upperMotorPower);
    output.append('\n');
  } catch (const Exception& error) {
    ++summary.failedLines;
    output.append("error\t");
    output.append(error.message());
    output.append('\n');
  }
}

}  // namespace

bool runBatch(std::FILE* in, std::FILE* out, BatchSummary& summary) {
  OutputBuffer output(out);
  std::vector<char> buffer(ioChunk);
  std::size_t filled = 0;  // bytes of an unfinished line kept at the buffer's start
  for (;;) {
    if (filled == buffer.size()) buffer.resize(buffer.size() * 2);  // a very long line
    const std::size_t read = std::fread(buffer.data() + filled, 1, buffer.size() - filled, in);
    const bool atEnd = read == 0;
    if (atEnd && std::ferror(in)) return false;
    const std::size_t available = filled + read;

    std::size_t lineStart = 0;
    const char* const data = buffer.data();
    while (const void* newline = std::memchr(data + lineStart, '\n', available - lineStart)) {
      const std::size_t lineEnd =
          static_cast<std::size_t>(static_cast<const char*>(newline) - data);
      processLine(std::string_view(data + lineStart, lineEnd - lineStart), output, summary);
      if (!output.flushIfFull()) return false;
      lineStart = lineEnd + 1;
    }
    if (atEnd) {
      // A last line without a line break is a line too.
      if (lineStart != available) {
        processLine(std::string_view(data + lineStart, available - lineStart), output, summary);
      }
      return output.flush() && std::fflush(out) == 0;
    }
    std::memmove(buffer.data(), data + lineStart, available - lineStart);
    filled = available - lineStart;
  }
}

}  // namespace pumpcalc::cli
