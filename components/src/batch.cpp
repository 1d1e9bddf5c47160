#include "qel/batch.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <stdexcept>
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
  // Starts a thread per handler, as many as the system allows (a limit on processes or on
  // memory may stop it short; the run then goes on with fewer, or with none, on the caller's).
  explicit Pipeline(std::vector<std::unique_ptr<BatchRows>>& handlers) {
    for (auto& rows : handlers) {
      try {
        if (BatchTestSeam().startingThread != nullptr) BatchTestSeam().startingThread();
        threads_.emplace_back([this, &rows] { Work(*rows); });
      } catch (const std::system_error&) {
        break;
      }
    }
  }
  std::size_t Threads() const { return threads_.size(); }
  ~Pipeline() { Stop(); }
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  void Stop() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    ready_.notify_all();
    for (std::thread& t : threads_) t.join();
    threads_.clear();
  }

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

CsvReader::Source ReadDescriptor(int fd, std::string name, std::FILE* copy) {
  return [fd, name = std::move(name), copy](char* into, std::size_t size) -> std::size_t {
    for (;;) {
      const ssize_t n = ::read(fd, into, size);
      if (n >= 0) {
        const auto count = static_cast<std::size_t>(n);
        if (copy != nullptr && count > 0 && std::fwrite(into, 1, count, copy) != count)
          throw std::system_error(errno, std::generic_category(), "a temporary copy of " + name);
        return count;
      }
      if (errno != EINTR) throw std::system_error(errno, std::generic_category(), name);
    }
  };
}

BatchTestCalls& BatchTestSeam() {
  static BatchTestCalls calls;
  return calls;
}

void ThrowIfOutOfMemory(const QelError& error) {
  constexpr long kOutOfMemory = 7;
  if (error.number() == kOutOfMemory) throw std::bad_alloc();
}

unsigned DefaultBatchJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : cores;
}

const char* ParseBatchAmount(std::string_view text, Currency& value) {
  if (text.empty()) {
    value = Currency();
    return nullptr;
  }
  const bool negative = text.front() == '-';
  // The usual amount, at most 14 characters after the sign, cannot overflow even scaled by
  // 10,000: one pass without checks.
  if (text.size() - negative <= 14) {
    std::int64_t raw = 0;
    std::size_t point = std::string_view::npos;
    for (std::size_t i = negative; i < text.size(); ++i) {
      const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
      if (digit <= 9) {
        raw = raw * 10 + digit;
      } else if (text[i] == '.' && point == std::string_view::npos) {
        point = i;
      } else {
        return "is not a number";
      }
    }
    const std::size_t decimals = point == std::string_view::npos ? 0 : text.size() - point - 1;
    const std::size_t digits = text.size() - negative - (point == std::string_view::npos ? 0 : 1);
    if (digits == 0 || decimals > 4) return "is not a number";
    constexpr std::int64_t kScaleBy[] = {10000, 1000, 100, 10, 1};
    raw *= kScaleBy[decimals];
    value = Currency::FromRaw(negative ? -raw : raw);
    return nullptr;
  }
  std::int64_t raw = 0;
  int decimals = -1;
  bool digits = false;
  for (char c : text.substr(negative ? 1 : 0)) {
    if (c == '.' && decimals < 0) {
      decimals = 0;
      continue;
    }
    if (c < '0' || c > '9' || decimals == 4) return "is not a number";
    if (raw > (INT64_MAX - 9) / 10) return "is too large";
    raw = raw * 10 + (c - '0');
    digits = true;
    if (decimals >= 0) ++decimals;
  }
  if (!digits && !text.empty()) return "is not a number";
  for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d) {
    if (raw > INT64_MAX / 10) return "is too large";
    raw *= 10;
  }
  value = Currency::FromRaw(negative ? -raw : raw);
  return nullptr;
}

void AppendBatchAmount(std::string& out, Currency value) {
  const bool negative = value.raw() < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.raw())
                                           : static_cast<std::uint64_t>(value.raw());
  const std::uint64_t cents = (magnitude + 50) / 100;
  if (negative && cents != 0) out += '-';
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, cents / 100).ptr);
  out += '.';
  out += static_cast<char>('0' + cents % 100 / 10);
  out += static_cast<char>('0' + cents % 10);
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
  // On this thread alone: one job, or no other thread could be started.
  const auto alone = [&](BatchRows& rows) {
    Job job;
    CsvRecord record;
    while (reader.NextBlock(job.block, kBlockBytes)) {
      Process(rows, job, record);
      finish(job);
      job.Clear();
    }
    return total;
  };
  if (jobs <= 1) return alone(*makeRows());

  std::vector<std::unique_ptr<BatchRows>> handlers;
  for (unsigned i = 0; i < jobs; ++i) handlers.push_back(makeRows());
  std::deque<std::unique_ptr<Job>> inFlight;  // in input order
  std::vector<std::unique_ptr<Job>> spare;
  Pipeline pipeline(handlers);
  if (pipeline.Threads() == 0) return alone(*handlers.front());
  const std::size_t maxInFlight = 4 * pipeline.Threads();
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
    // A reader's failure comes after the rows read before it: they are finished and written (or
    // fail first) before it is thrown on, as with one job.
    std::exception_ptr readError;
    try {
      if (!reader.NextBlock(job->block, kBlockBytes)) break;
    } catch (...) {
      readError = std::current_exception();
    }
    if (readError) {
      writeFront(0);
      std::rethrow_exception(readError);
    }
    inFlight.push_back(std::move(job));
    pipeline.Submit(*inFlight.back());
    writeFront(maxInFlight - 1);
  }
  writeFront(0);
  return total;
}

}  // namespace qel
