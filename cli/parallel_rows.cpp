#include "cli/parallel_rows.h"

#include "core/float_unit.h"

namespace pumpcalc::cli {

ParallelRows::ParallelRows(const RowLayout& layout, unsigned threads)
    : layout_(layout), maxHeld_(2 * std::size_t{threads}) {
  threads_.reserve(threads);
  for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { compute(); });
}

ParallelRows::~ParallelRows() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workReady_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void ParallelRows::compute() {
  resetFloatUnit();
  RowWriter writer(layout_);
  for (;;) {
    Job* job;
    {
      std::unique_lock lock(mutex_);
      workReady_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
      if (stopping_) return;
      job = waiting_.front();
      waiting_.pop_front();
    }
    try {
      writer.write(job->chunk, job->output, job->summary);
    } catch (...) {
      job->error = std::current_exception();
    }
    {
      const std::lock_guard lock(mutex_);
      job->done = true;
    }
    jobDone_.notify_one();
  }
}

BatchSummary ParallelRows::run(const std::function<bool(Chunk&)>& next,
                               const std::function<void(std::string_view)>& write) {
  BatchSummary total;
  bool inputLeft = true;
  for (;;) {
    while (inputLeft && held_.size() < maxHeld_) {
      std::unique_ptr<Job> job;
      if (spare_.empty()) {
        job = std::make_unique<Job>();
      } else {
        job = std::move(spare_.back());
        spare_.pop_back();
      }
      if (!next(job->chunk)) {
        inputLeft = false;
        spare_.push_back(std::move(job));
        break;
      }
      job->output.clear();
      job->summary = {};
      job->error = nullptr;
      job->done = false;
      {
        const std::lock_guard lock(mutex_);
        waiting_.push_back(job.get());
      }
      workReady_.notify_one();
      held_.push_back(std::move(job));
    }
    if (held_.empty()) return total;
    Job& oldest = *held_.front();
    {
      std::unique_lock lock(mutex_);
      jobDone_.wait(lock, [&oldest] { return oldest.done; });
    }
    if (oldest.error) std::rethrow_exception(oldest.error);
    write(oldest.output.view());
    total += oldest.summary;
    spare_.push_back(std::move(held_.front()));
    held_.pop_front();
  }
}

}  // namespace pumpcalc::cli
