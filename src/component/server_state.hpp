#pragma once

namespace cvn::automation {

// What keeps the library in use: live objects (class factories included) and
// the locks of IClassFactory::LockServer. DllCanUnloadNow asks for both.
void objectCreated() noexcept;
void objectDestroyed() noexcept;
void lockServer(bool lock) noexcept;
bool serverInUse() noexcept;

}  // namespace cvn::automation
