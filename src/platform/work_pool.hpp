#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace cvn {

// Threads that share work, the calling thread among them: a pool of n threads
// starts n - 1 of its own, and a thread that waits for its results runs queued
// work meanwhile, so that pools may be used from within their own work and a
// pool of one runs everything on the caller.
class WorkPool {
 public:
  // What a step of work leaves to do on the calling thread, in order.
  using Finish = std::function<void()>;

  explicit WorkPool(unsigned threads = 0);  // 0: one per core
  ~WorkPool();
  WorkPool(const WorkPool&) = delete;
  WorkPool& operator=(const WorkPool&) = delete;

  unsigned threads() const noexcept { return static_cast<unsigned>(workers_.size()) + 1; }

  // Runs work(0) ... work(n - 1) on the pool's threads, at most window steps
  // (0: 16 per thread) from the first unfinished one, and each result's Finish
  // on the calling thread in order, after before(i). A step that throws is
  // thrown on its turn, when the work in flight has ended and nothing later has
  // been finished; so is an exception of before or of a Finish.
  void forEachInOrder(size_t n, const std::function<Finish(size_t)>& work,
                      const std::function<void(size_t)>& before = {}, size_t window = 0);

 private:
  struct Batch;

  // Runs queued work until ready() holds; called and returns with the lock held.
  void helpUntil(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready);
  void serve();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> queue_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace cvn
