#include "component/server_state.hpp"

#include <atomic>

#include "component/cvn_automation.h"

namespace cvn::automation {
namespace {

std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

}  // namespace

void objectCreated() noexcept {
  liveObjects.fetch_add(1);
}
void objectDestroyed() noexcept {
  liveObjects.fetch_sub(1);
}

void lockServer(bool lock) noexcept {
  if (lock) {
    serverLocks.fetch_add(1);
    return;
  }
  // An unlock without a lock must not make the count negative.
  long current = serverLocks.load();
  while (current > 0 && !serverLocks.compare_exchange_weak(current, current - 1)) {
  }
}

bool serverInUse() noexcept {
  return liveObjects.load() > 0 || serverLocks.load() > 0;
}

}  // namespace cvn::automation

extern "C" HRESULT DllCanUnloadNow(void) {
  return cvn::automation::serverInUse() ? S_FALSE : S_OK;
}
