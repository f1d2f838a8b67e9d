#include "app/interrupt.hpp"

#include <fmt/format.h>

#include <cstdlib>

namespace cvn::cli {
namespace {

volatile std::sig_atomic_t pending = 0;

void onSignal(int signal) {
  if (pending != 0) {
    // Asked twice: stop now.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return;
  }
  pending = signal;
}

void install(int signal, struct sigaction& old) {
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  // Blocking calls resume; the waits that must notice a signal use poll, which never does.
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, &old);
  // A signal the caller chose to ignore (nohup, a background job) stays ignored.
  if (old.sa_handler == SIG_IGN) sigaction(signal, &old, nullptr);
}

}  // namespace

Interrupted::Interrupted(int signal)
    : CommandError(fmt::format("interrupted by {}", signal == SIGINT ? "SIGINT" : "SIGTERM")),
      signal_(signal) {}

InterruptGuard::InterruptGuard() {
  pending = 0;
  install(SIGINT, oldInterrupt_);
  install(SIGTERM, oldTerminate_);
}

InterruptGuard::~InterruptGuard() {
  sigaction(SIGINT, &oldInterrupt_, nullptr);
  sigaction(SIGTERM, &oldTerminate_, nullptr);
}

void InterruptGuard::endBy(int signal) {
  sigaction(SIGINT, &oldInterrupt_, nullptr);
  sigaction(SIGTERM, &oldTerminate_, nullptr);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  std::_Exit(128 + signal);
}

int pendingInterrupt() noexcept {
  return pending;
}

void throwIfInterrupted() {
  if (const int signal = pending; signal != 0) throw Interrupted(signal);
}

}  // namespace cvn::cli
