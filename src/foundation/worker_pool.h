// DLWorkerPool: a few worker threads that, together with the calling thread, run the tasks of one
// parallel step (one task per predictor in the search, one per column in binning).
//
// Only the calling thread ever calls back into the host: the poll given to Run (which asks the
// host's cancel object) runs there, between its own tasks and while it waits for the workers.
// Workers read only a stop flag. This keeps a host's cancel object and listener single-threaded
// and lets a host exception leave Run on the thread that called it.
#ifndef RULEWEAVE_FOUNDATION_WORKER_POOL_H_
#define RULEWEAVE_FOUNDATION_WORKER_POOL_H_

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Owns its threads: they start in the constructor, sleep between steps and are joined by the
// destructor. Run is called from the thread that made the pool, one step at a time.
class DLWorkerPool {
 public:
  // A task: task(worker, i) runs item i; `worker` is 0 on the calling thread and 1 .. n-1 on the
  // workers, so a step can keep one scratch object per worker.
  using Task = std::function<void(int worker, int item)>;
  // Asked on the calling thread; true stops the step.
  using Poll = std::function<bool()>;

  // `numThreads` threads in all, the calling thread included: numThreads - 1 workers are started
  // (none for 1 or less).
  explicit DLWorkerPool(int numThreads);
  DLWorkerPool(const DLWorkerPool&) = delete;
  DLWorkerPool& operator=(const DLWorkerPool&) = delete;
  ~DLWorkerPool();

  int GetNumThreads() const { return static_cast<int>(mWorkers.size()) + 1; }
  // The number of threads a setting asks for: `requested` when positive, one per core for 0
  // (1 when the machine does not say).
  static int ResolveNumThreads(int requested);

  // Runs task(worker, i) once for every i in [0, n), items handed out in ascending order, and
  // returns when every started task has ended. `poll` (may be empty) is asked before each task the
  // calling thread takes and, while it waits for the workers, every few milliseconds. Once it
  // answers true no further task starts and Run returns false; true when every item ran. An
  // exception from a task or from `poll` stops the step the same way and is rethrown here after
  // the workers are idle again (the first one, when several threads throw).
  bool Run(int n, const Task& task, const Poll& poll);

  // Whether the current step is stopping (a cancel, or a task or poll that threw): for a long
  // task to check between its own parts, from any thread, in place of the host's cancel object.
  bool IsStopping() const { return mStop.load(std::memory_order_relaxed); }

 private:
  void WorkerLoop(int worker);
  // Takes and runs items until none is left or the step is stopped.
  void Drain(int worker);
  void Fail(std::exception_ptr error);

  std::vector<std::thread> mWorkers;
  std::mutex mMutex;
  std::condition_variable mWake;  // workers: a new step or the end
  std::condition_variable mIdle;  // the caller: a worker finished its part of the step
  // Guarded by mMutex.
  long mStep = 0;
  bool mQuit = false;
  int mBusy = 0;
  std::exception_ptr mError;
  // The current step; written by Run before the workers are woken.
  const Task* mTask = nullptr;
  int mItems = 0;
  std::atomic<int> mNext{0};
  std::atomic<bool> mStop{false};
};

#endif  // RULEWEAVE_FOUNDATION_WORKER_POOL_H_
