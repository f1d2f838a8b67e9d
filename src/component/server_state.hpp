#pragma once

#include <atomic>

#include "component/automation_guids.hpp"
#include "component/cvn_automation.h"

namespace cvn::automation {

// What keeps the library in use: live objects (class factories included) and
// the locks of IClassFactory::LockServer. DllCanUnloadNow asks for both.
void objectCreated() noexcept;
void objectDestroyed() noexcept;
void lockServer(bool lock) noexcept;
bool serverInUse() noexcept;

// IUnknown for the library's objects. Self begins with its interface, so that
// the interface pointer is the object's, and counts its references in `refs`;
// Self::implements tells the interfaces it has besides IUnknown. The object
// is deleted, and stops keeping the library in use, with its last reference.
template <typename Self, typename Interface>
struct ComObject {
  static Self* self(Interface* p) { return reinterpret_cast<Self*>(p); }

  static HRESULT CVN_STDMETHODCALLTYPE queryInterface(Interface* p, REFIID riid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!sameGuid(riid, IID_IUnknown) && !Self::implements(riid)) return E_NOINTERFACE;
    addRef(p);
    *out = p;
    return S_OK;
  }

  static ULONG CVN_STDMETHODCALLTYPE addRef(Interface* p) { return self(p)->refs.fetch_add(1) + 1; }

  static ULONG CVN_STDMETHODCALLTYPE release(Interface* p) {
    Self* object = self(p);
    const ULONG left = object->refs.fetch_sub(1) - 1;
    if (left == 0) {
      delete object;
      objectDestroyed();
    }
    return left;
  }
};

}  // namespace cvn::automation
