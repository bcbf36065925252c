// Chunks of records computed on several threads and written in input order.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/batch_rows.h"
#include "cli/record_scanner.h"
#include "cli/row_layout.h"

namespace pumpcalc::cli {

class ParallelRows {
 public:
  // Starts `threads` computing threads, each with its own RowWriter and a reset float unit.
  ParallelRows(const RowLayout& layout, unsigned threads);
  // Stops the threads; chunks not yet written are dropped.
  ~ParallelRows();
  ParallelRows(const ParallelRows&) = delete;
  ParallelRows& operator=(const ParallelRows&) = delete;

  // Takes chunks from `next` until it returns false and hands each chunk's output lines to
  // `write`, in the order of the chunks. At most twice as many chunks as threads are held
  // at a time. An error of a computing thread is raised here, in its chunk's turn.
  BatchSummary run(const std::function<bool(Chunk&)>& next,
                   const std::function<void(std::string_view)>& write);

 private:
  struct Job {
    Chunk chunk;
    OutputText output;
    BatchSummary summary;
    std::exception_ptr error;
    bool done = false;
  };

  void compute();

  const RowLayout& layout_;
  const std::size_t maxHeld_;
  std::deque<std::unique_ptr<Job>> held_;  // taken from `next`, not yet written; oldest first
  std::vector<std::unique_ptr<Job>> spare_;
  std::mutex mutex_;
  std::condition_variable workReady_, jobDone_;
  std::deque<Job*> waiting_;  // held jobs that no thread has taken yet
  bool stopping_ = false;
  std::vector<std::thread> threads_;  // last: stopped before the jobs go
};

}  // namespace pumpcalc::cli
