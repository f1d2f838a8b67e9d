#include "platform/work_pool.hpp"

#include <algorithm>
#include <exception>
#include <memory>

namespace cvn {

// One call of forEachInOrder: the results of the steps in flight, step i in
// ring[i % ring.size()]. Guarded by the pool's lock.
struct WorkPool::Batch {
  struct Slot {
    Finish finish;
    std::exception_ptr error;
    bool done = false;
  };
  std::vector<Slot> ring;
  size_t unfinished = 0;  // posted and not yet done
  bool cancelled = false;
};

WorkPool::WorkPool(unsigned threads) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  for (unsigned k = 1; k < threads; ++k) workers_.emplace_back([this] { serve(); });
}

WorkPool::~WorkPool() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void WorkPool::serve() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;
    std::function<void()> task = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    task();
    lock.lock();
  }
}

void WorkPool::helpUntil(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready) {
  while (!ready()) {
    if (queue_.empty()) {
      changed_.wait(lock);
      continue;
    }
    std::function<void()> task = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    task();
    lock.lock();
  }
}

void WorkPool::forEachInOrder(size_t n, const std::function<Finish(size_t)>& work,
                              const std::function<void(size_t)>& before, size_t window) {
  if (n == 0) return;
  // A waiting result is a Finish, small beside the files a step reads: a wide
  // window keeps every thread busy past a large file.
  if (window == 0) window = 16 * size_t{threads()};
  window = std::min(n, window);
  auto batch = std::make_shared<Batch>();
  batch->ring.resize(window);
  // A step left in the queue of a batch that failed does nothing, so that no
  // step runs after this call has returned.
  auto step = [this, batch, &work](size_t i) {
    return [this, batch, &work, i] {
      Batch::Slot result;
      bool cancelled = false;
      {
        const std::lock_guard lock(mutex_);
        cancelled = batch->cancelled;
      }
      if (!cancelled) {
        try {
          result.finish = work(i);
        } catch (...) {
          result.error = std::current_exception();
        }
      }
      {
        const std::lock_guard lock(mutex_);
        result.done = true;
        batch->ring[i % batch->ring.size()] = std::move(result);
        --batch->unfinished;
      }
      changed_.notify_all();
    };
  };

  std::unique_lock lock(mutex_);
  size_t posted = 0;
  try {
    for (size_t next = 0; next < n; ++next) {
      for (; posted < n && posted < next + window; ++posted) {
        queue_.push_back(step(posted));
        ++batch->unfinished;
      }
      changed_.notify_all();
      Batch::Slot& slot = batch->ring[next % window];
      helpUntil(lock, [&slot] { return slot.done; });
      Batch::Slot taken = std::move(slot);
      slot = {};
      lock.unlock();
      if (taken.error) std::rethrow_exception(taken.error);
      if (before) before(next);
      if (taken.finish) taken.finish();
      lock.lock();
    }
  } catch (...) {
    if (!lock.owns_lock()) lock.lock();
    batch->cancelled = true;
    helpUntil(lock, [&batch] { return batch->unfinished == 0; });
    throw;
  }
}

}  // namespace cvn
