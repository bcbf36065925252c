#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "cli/batch.h"
#include "tests/cli/batch_io.h"

namespace pumpcalc::cli {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

class BatchFile : public testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("pumpcalc-batch-file-" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) +
         "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    std::ofstream(target(), std::ios::binary) << "the results of yesterday\n";
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path target() const { return folder_ / "results.tsv"; }
  std::size_t filesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), {}));
  }

  fs::path folder_;
};

TEST_F(BatchFile, AFailedRunLeavesTheTargetAsItWas) {
  std::string input;
  for (int i = 0; i < 20000; ++i) input += "100\t50\t80\n";
  for (unsigned threads : {1u, 2u}) {
    test::StringSource source(input, input.size() / 2);
    BatchSettings settings;
    settings.threads = threads;
    settings.chunkBytes = 4096;
    EXPECT_THROW(runBatchIntoFile(source, target().string(), settings), BatchFailure);
    EXPECT_EQ(contents(target()), "the results of yesterday\n");
    EXPECT_EQ(filesInFolder(), 1u) << "the temporary file is gone";
  }
}

TEST_F(BatchFile, ACompleteRunReplacesTheTarget) {
  test::StringSource source("100\t50\t80\n1\t2\n");
  const BatchSummary summary = runBatchIntoFile(source, target().string(), {});
  EXPECT_EQ(summary.failedLines, 1u);
  EXPECT_EQ(contents(target()),
            "100\t50\t80\t17.020697167756\t18.7227668845316\t20.4248366013072\n"
            "1\t2\terror\texpected 3 tab-separated fields (flow, head, efficiency), found 2\n");
  EXPECT_EQ(filesInFolder(), 1u);

  test::StringSource another("");
  EXPECT_THROW(runBatchIntoFile(another, (folder_ / "no such folder" / "x.tsv").string(), {}),
               BatchFailure);
}

// A device or a pipe is written where it is: a file renamed over /dev/null would have
// replaced the system's device.
TEST_F(BatchFile, AnOutputThatIsNoRegularFileIsWrittenWhereItIs) {
  test::StringSource source("100\t50\t80\n");
#ifdef _WIN32
  EXPECT_EQ(runBatchIntoFile(source, "NUL", {}).failedLines, 0u);
#else
  const fs::path pipe = folder_ / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  // Its reading end, open before the run so that the run can open the writing end; the
  // results, a few bytes, wait in the pipe's buffer.
  const int reading = open(pipe.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(reading, 0);
  runBatchIntoFile(source, pipe.string(), {});
  char buffer[256];
  const ssize_t size = read(reading, buffer, sizeof buffer);
  close(reading);
  EXPECT_EQ(std::string(buffer, size > 0 ? static_cast<std::size_t>(size) : 0),
            "100\t50\t80\t17.020697167756\t18.7227668845316\t20.4248366013072\n");
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_EQ(filesInFolder(), 2u);
#endif
}

}  // namespace
}  // namespace pumpcalc::cli
