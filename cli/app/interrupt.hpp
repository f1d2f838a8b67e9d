#pragma once

#include <csignal>

#include "app/failure.hpp"

namespace cvn::cli {

// Thrown at the next safe point after SIGINT or SIGTERM, so that unwinding removes
// temporary folders and rolls the database back before the process ends.
class Interrupted : public CommandError {
 public:
  explicit Interrupted(int signal);
  int signal() const noexcept { return signal_; }

 private:
  int signal_;
};

// While it lives, SIGINT and SIGTERM only set a flag that throwIfInterrupted turns into
// Interrupted; a second signal ends the process at once, as if no handler were there.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  // Restores the dispositions from before and sends the signal again, so that the
  // process ends the way the signal asked for.
  [[noreturn]] void endBy(int signal);

 private:
  struct sigaction oldInterrupt_ {};
  struct sigaction oldTerminate_ {};
};

// The signal received since the guard was set up, or 0.
int pendingInterrupt() noexcept;
void throwIfInterrupted();

}  // namespace cvn::cli
