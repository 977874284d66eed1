// DLWorkerPool: starting, waking and joining the workers, and one parallel step.
#include "foundation/worker_pool.h"

#include <chrono>

namespace {

// How often the calling thread asks the poll while it waits for the workers.
constexpr std::chrono::milliseconds kWaitPollInterval(5);

}  // namespace

int DLWorkerPool::ResolveNumThreads(int requested) {
  if (requested > 0) return requested;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

DLWorkerPool::DLWorkerPool(int numThreads) {
  const int workers = numThreads > 1 ? numThreads - 1 : 0;
  mWorkers.reserve(static_cast<std::size_t>(workers));
  try {
    for (int w = 1; w <= workers; ++w) mWorkers.emplace_back([this, w] { WorkerLoop(w); });
  } catch (...) {
    // A thread that cannot be started: stop the ones that did before giving up.
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mQuit = true;
    }
    mWake.notify_all();
    for (std::thread& t : mWorkers) t.join();
    throw;
  }
}

DLWorkerPool::~DLWorkerPool() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mQuit = true;
  }
  mWake.notify_all();
  for (std::thread& t : mWorkers) t.join();
}

void DLWorkerPool::WorkerLoop(int worker) {
  long seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mMutex);
      mWake.wait(lock, [&] { return mQuit || mStep != seen; });
      if (mQuit) return;
      seen = mStep;
    }
    Drain(worker);
    {
      std::lock_guard<std::mutex> lock(mMutex);
      if (--mBusy == 0) mIdle.notify_one();
    }
  }
}

void DLWorkerPool::Drain(int worker) {
  while (!mStop.load(std::memory_order_relaxed)) {
    const int item = mNext.fetch_add(1, std::memory_order_relaxed);
    if (item >= mItems) return;
    try {
      (*mTask)(worker, item);
    } catch (...) {
      Fail(std::current_exception());
      return;
    }
  }
}

void DLWorkerPool::Fail(std::exception_ptr error) {
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mError) mError = std::move(error);
  mStop.store(true, std::memory_order_relaxed);
}

bool DLWorkerPool::Run(int n, const Task& task, const Poll& poll) {
  if (n <= 0) return true;
  mTask = &task;
  mItems = n;
  mNext.store(0, std::memory_order_relaxed);
  mStop.store(false, std::memory_order_relaxed);
  if (!mWorkers.empty()) {
    {
      std::lock_guard<std::mutex> lock(mMutex);
      mError = nullptr;
      mBusy = static_cast<int>(mWorkers.size());
      ++mStep;
    }
    mWake.notify_all();
  }

  auto askPoll = [&] {
    if (!poll || mStop.load(std::memory_order_relaxed)) return;
    try {
      if (poll()) mStop.store(true, std::memory_order_relaxed);
    } catch (...) {
      Fail(std::current_exception());
    }
  };

  // The calling thread takes items like a worker, asking the poll before each.
  for (;;) {
    const int item = mNext.fetch_add(1, std::memory_order_relaxed);
    if (item >= n) break;
    askPoll();
    if (mStop.load(std::memory_order_relaxed)) break;
    try {
      task(0, item);
    } catch (...) {
      Fail(std::current_exception());
      break;
    }
  }

  std::exception_ptr error;
  {
    std::unique_lock<std::mutex> lock(mMutex);
    while (mBusy > 0) {
      if (mIdle.wait_for(lock, kWaitPollInterval, [&] { return mBusy == 0; })) break;
      lock.unlock();
      askPoll();
      lock.lock();
    }
    error = mError;
    mError = nullptr;
  }
  mTask = nullptr;
  if (error) std::rethrow_exception(error);
  return !mStop.load(std::memory_order_relaxed);
}
