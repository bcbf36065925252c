// Runs the fuzz target once on each file named on the command line, or on each file of a
// named directory, in name order: the saved corpus as an ordinary test, without libFuzzer.
// A failed check inside the target aborts the program; otherwise it prints how many inputs
// ran, and fails when there were none (a wrong corpus path must not pass quietly).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool readFile(const fs::path& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const fs::path path = argv[i];
    std::error_code error;
    if (fs::is_directory(path, error)) {
      for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
        if (entry.is_regular_file()) inputs.push_back(entry.path());
      }
    } else {
      inputs.push_back(path);
    }
    if (error) {
      std::fprintf(stderr, "%s: %s\n", argv[i], error.message().c_str());
      return 1;
    }
  }
  std::sort(inputs.begin(), inputs.end());

  std::vector<std::uint8_t> bytes;
  for (const fs::path& input : inputs) {
    if (!readFile(input, bytes)) {
      std::fprintf(stderr, "%s: cannot read\n", input.string().c_str());
      return 1;
    }
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("%zu inputs replayed\n", inputs.size());
  return inputs.empty() ? 1 : 0;
}
