#include "qel/batch.h"

#include <charconv>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace qel {

namespace {

// The input of one block: large enough that handing it over costs little against computing its
// rows, small enough that a few per worker keep the memory flat.
constexpr std::size_t kBlockBytes = std::size_t{1} << 16;

struct Job {
  CsvBlock block;
  std::string out;
  std::string problems;
  BatchCounts counts;
  std::exception_ptr error;
  bool done = false;  // guarded by the pipeline's mutex while the job is in flight

  void Clear() {
    block.Clear();
    out.clear();
    problems.clear();
    counts = BatchCounts();
    error = nullptr;
    done = false;
  }
};

void Process(BatchRows& rows, Job& job, CsvRecord& record) {
  for (std::size_t i = 0; i < job.block.records.size(); ++i) {
    job.block.Split(i, record);
    if (IsBlankCsvRecord(record)) continue;
    ++job.counts.rows;
    if (!rows.Row(record, job.out, job.problems)) ++job.counts.bad;
  }
}

// The workers and what they share; the destructor stops and joins them.
class Pipeline {
 public:
  explicit Pipeline(std::vector<std::unique_ptr<BatchRows>>& handlers) {
    for (auto& rows : handlers) threads_.emplace_back([this, &rows] { Work(*rows); });
  }
  ~Pipeline() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    ready_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  void Submit(Job& job) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(&job);
    }
    ready_.notify_one();
  }
  // Whether the job is done; with `wait`, once it is.
  bool Done(Job& job, bool wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wait) finished_.wait(lock, [&] { return job.done; });
    return job.done;
  }

 private:
  void Work(BatchRows& rows) {
    CsvRecord record;
    for (;;) {
      Job* job = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [&] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        job = queue_.front();
        queue_.pop_front();
      }
      try {
        Process(rows, *job, record);
      } catch (...) {
        job->error = std::current_exception();
      }
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        job->done = true;
      }
      finished_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable finished_;
  std::deque<Job*> queue_;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace

unsigned DefaultBatchJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : cores;
}

bool ParseBatchJobs(std::string_view text, unsigned& jobs) {
  unsigned n = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (error != std::errc() || end != text.data() + text.size() || n < 1 || n > kMaxBatchJobs)
    return false;
  jobs = n;
  return true;
}

BatchCounts RunBatch(
    CsvReader& reader, unsigned jobs, const std::function<std::unique_ptr<BatchRows>()>& makeRows,
    const std::function<void(std::string_view out, std::string_view problems)>& write) {
  BatchCounts total;
  const auto finish = [&](Job& job) {
    if (job.error) std::rethrow_exception(job.error);
    write(job.out, job.problems);
    total.rows += job.counts.rows;
    total.bad += job.counts.bad;
  };
  if (jobs <= 1) {
    const std::unique_ptr<BatchRows> rows = makeRows();
    Job job;
    CsvRecord record;
    while (reader.NextBlock(job.block, kBlockBytes)) {
      Process(*rows, job, record);
      finish(job);
      job.Clear();
    }
    return total;
  }

  std::vector<std::unique_ptr<BatchRows>> handlers;
  for (unsigned i = 0; i < jobs; ++i) handlers.push_back(makeRows());
  std::deque<std::unique_ptr<Job>> inFlight;  // in input order
  std::vector<std::unique_ptr<Job>> spare;
  const std::size_t maxInFlight = std::size_t{4} * jobs;
  Pipeline pipeline(handlers);
  // Writes the finished jobs at the front, waiting for them while more than `keep` are in flight.
  const auto writeFront = [&](std::size_t keep) {
    while (!inFlight.empty() && pipeline.Done(*inFlight.front(), inFlight.size() > keep)) {
      finish(*inFlight.front());
      spare.push_back(std::move(inFlight.front()));
      inFlight.pop_front();
    }
  };
  for (;;) {
    std::unique_ptr<Job> job;
    if (spare.empty()) {
      job = std::make_unique<Job>();
    } else {
      job = std::move(spare.back());
      spare.pop_back();
      job->Clear();
    }
    if (!reader.NextBlock(job->block, kBlockBytes)) break;
    inFlight.push_back(std::move(job));
    pipeline.Submit(*inFlight.back());
    writeFront(maxInFlight - 1);
  }
  writeFront(0);
  return total;
}

}  // namespace qel
