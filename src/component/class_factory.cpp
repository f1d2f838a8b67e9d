// The class factories of both classes and DllGetClassObject.

#include <atomic>
#include <new>

#include "component/automation_guids.hpp"
#include "component/cvn_automation.h"
#include "component/dispatch_object.hpp"
#include "component/server_state.hpp"

namespace cvn::automation {
namespace {

struct ClassFactory : ComObject<ClassFactory, IClassFactory> {
  IClassFactory iface;
  std::atomic<ULONG> refs;
  IDispatch* (*make)() noexcept;

  static bool implements(REFIID riid) { return sameGuid(riid, IID_IClassFactory); }

  static HRESULT CVN_STDMETHODCALLTYPE createInstance(IClassFactory* p, IUnknown* outer,
                                                      REFIID riid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    IDispatch* object = self(p)->make();
    if (object == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = object->lpVtbl->QueryInterface(object, riid, out);
    object->lpVtbl->Release(object);
    return hr;
  }

  static HRESULT CVN_STDMETHODCALLTYPE lock(IClassFactory*, BOOL fLock) {
    lockServer(fLock != FALSE);
    return S_OK;
  }

  static constexpr IClassFactoryVtbl kVtbl = {queryInterface, addRef, release, createInstance,
                                              lock};
};

}  // namespace
}  // namespace cvn::automation

extern "C" HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  using namespace cvn::automation;
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  IDispatch* (*make)() noexcept = nullptr;
  if (sameGuid(rclsid, CLSID_Corvane)) {
    make = newCorvaneObject;
  } else if (sameGuid(rclsid, CLSID_Corvane_old)) {
    make = newCorvaneOldObject;
  } else {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  auto* factory = new (std::nothrow) ClassFactory{{}, {&ClassFactory::kVtbl}, {1}, make};
  if (factory == nullptr) return E_OUTOFMEMORY;
  objectCreated();
  const HRESULT hr = factory->iface.lpVtbl->QueryInterface(&factory->iface, riid, ppv);
  factory->iface.lpVtbl->Release(&factory->iface);
  return hr;
}
