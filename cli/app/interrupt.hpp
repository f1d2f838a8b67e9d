#pragma once

#include <array>
#include <csignal>

#include "app/failure.hpp"

namespace cvn::cli {

// Thrown at the next safe point after a stop signal, so that unwinding stops child
// processes, removes temporary folders and rolls the database back before the process ends.
class Interrupted : public CommandError {
 public:
  explicit Interrupted(int signal);
  int signal() const noexcept { return signal_; }

 private:
  int signal_;
};

// The signals that stop a command, each the same way: a terminal's Ctrl-C, kill, a closed
// terminal, Ctrl-\.
inline constexpr std::array<int, 4> kStopSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// While it lives, those signals only set a flag that throwIfInterrupted turns into
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
  void restore() noexcept;

  std::array<struct sigaction, kStopSignals.size()> old_{};
};

// The signal received since the guard was set up, or 0.
int pendingInterrupt() noexcept;
void throwIfInterrupted();

}  // namespace cvn::cli
