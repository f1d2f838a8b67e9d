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

const char* signalName(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "SIGQUIT";
  }
}

}  // namespace

Interrupted::Interrupted(int signal)
    : CommandError(fmt::format("interrupted by {}", signalName(signal))), signal_(signal) {}

InterruptGuard::InterruptGuard() {
  pending = 0;
  for (size_t k = 0; k < kStopSignals.size(); ++k) install(kStopSignals[k], old_[k]);
}

InterruptGuard::~InterruptGuard() {
  restore();
}

void InterruptGuard::restore() noexcept {
  for (size_t k = 0; k < kStopSignals.size(); ++k) sigaction(kStopSignals[k], &old_[k], nullptr);
}

void InterruptGuard::endBy(int signal) {
  restore();
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
