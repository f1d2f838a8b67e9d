// A counter that is safe to share.
#include <atomic>

/* Counts events from many threads;
   reads may lag behind writes. */
class Counter {
 public:
  void add() { value_.fetch_add(1, std::memory_order_relaxed); }

 private:
  std::atomic<long> value_{0};  // never negative
};
