#include "component/dispatch_object.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <new>
#include <span>
#include <string_view>
#include <type_traits>

#include "component/automation_guids.hpp"
#include "component/automation_strings.hpp"
#include "component/corvane.hpp"
#include "component/corvane_old.hpp"
#include "component/dispatch_arguments.hpp"
#include "component/dispatch_methods.hpp"
#include "component/dispatch_values.hpp"
#include "component/dual_interface.hpp"
#include "component/interface.hpp"
#include "component/method_table.hpp"
#include "component/server_state.hpp"
#ifdef _WIN32
#include "component/type_library_windows.hpp"
#endif
#include "platform/ascii.hpp"
#include "platform/error.hpp"
#include "platform/utf.hpp"

namespace cvn::automation {
namespace {

// Automation clients read scode 0x800A0000 + n as error number n.
constexpr uint32_t kErrorFacility = 0x800A0000u;

// The source is the class's programmatic identifier.
void fillException(EXCEPINFO* info, std::u16string_view className, const Error& error) {
  if (info == nullptr) return;
  *info = EXCEPINFO{};
  info->scode = static_cast<SCODE>(kErrorFacility + static_cast<uint32_t>(error.number() & 0xFFFF));
  try {
    info->bstrSource = makeBstr(u"CVN_Core." + std::u16string(className));
    info->bstrDescription = makeBstr(utf8ToUtf16(error.description()));
  } catch (const std::bad_alloc&) {
    // The number still reaches the caller.
  }
}

// A dual interface's vtable: IDispatch's entries, then the interface's own.
template <size_t N>
struct DualVtbl {
  IDispatchVtbl dispatch;
  std::array<DualMethod, N> methods;
};

// The object: the interface first, so that its pointer is the object's.
template <typename C>
struct DispatchObject : ComObject<DispatchObject<C>, IDispatch> {
  using Base = ComObject<DispatchObject<C>, IDispatch>;
  using Description = Interface<C>;
  static constexpr std::span<const MethodInfo> methods() { return kMethodInfos<C>; }

  IDispatch iface;
  std::atomic<ULONG> refs;
  C* comparer;

  ~DispatchObject() { delete comparer; }

  static bool implements(REFIID riid) {
    return sameGuid(riid, IID_IDispatch) || sameGuid(riid, Description::identity.iid);
  }

#ifdef _WIN32
  // The interface's description in the type library embedded in the DLL.
  static HRESULT CVN_STDMETHODCALLTYPE getTypeInfoCount(IDispatch*, UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  static HRESULT CVN_STDMETHODCALLTYPE getTypeInfo(IDispatch*, UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return interfaceTypeInfo(Description::identity.iid, info);
  }
#else
  static HRESULT CVN_STDMETHODCALLTYPE getTypeInfoCount(IDispatch*, UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;  // no type information objects on this platform
    return S_OK;
  }

  static HRESULT CVN_STDMETHODCALLTYPE getTypeInfo(IDispatch*, UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
#endif

  // The method's identifier first, then each further name as the index of
  // its parameter, for named arguments.
  static HRESULT CVN_STDMETHODCALLTYPE getIDsOfNames(IDispatch*, REFIID riid, LPOLESTR* names,
                                                     UINT count, LCID, DISPID* ids) {
    if (!sameGuid(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (names == nullptr || ids == nullptr) return E_INVALIDARG;
    const MethodInfo* method =
        names[0] == nullptr ? nullptr : findMethod(methods(), olestrView(names[0]));
    bool allKnown = method != nullptr;
    ids[0] = method != nullptr ? method->dispatchId : DISPID_UNKNOWN;
    for (UINT k = 1; k < count; ++k) {
      ids[k] = DISPID_UNKNOWN;
      for (size_t p = 0; method != nullptr && names[k] != nullptr && p < method->params.size();
           ++p) {
        if (equalIgnoringAsciiCase(method->params[p].name, olestrView(names[k]))) {
          ids[k] = static_cast<DISPID>(p);
        }
      }
      if (ids[k] == DISPID_UNKNOWN) allKnown = false;
    }
    return allKnown ? S_OK : DISP_E_UNKNOWNNAME;
  }

  static HRESULT CVN_STDMETHODCALLTYPE invoke(IDispatch* p, DISPID id, REFIID riid, LCID,
                                              WORD flags, DISPPARAMS* params, VARIANT* result,
                                              EXCEPINFO* exception, UINT* argError) {
    if (!sameGuid(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    const MethodInfo* method = findMethod(methods(), id);
    if (method == nullptr) return DISP_E_MEMBERNOTFOUND;
    if (flags != DISPATCH_METHOD && flags != (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) {
      return DISP_E_MEMBERNOTFOUND;
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    try {
      Arguments args(*method, params != nullptr ? *params : none);
      const Variant value = invokeMethod(*Base::self(p)->comparer, *method, args);
      if (result != nullptr) storeVariant(value, *result);
      return S_OK;
    } catch (const InvokeFailure& failure) {
      if (failure.hasArgIndex && argError != nullptr) *argError = failure.argIndex;
      return failure.hr;
    } catch (const Error& error) {
      fillException(exception, Description::identity.name, error);
      return DISP_E_EXCEPTION;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_UNEXPECTED;
    }
  }

  using Vtbl = DualVtbl<kMethodCount<C>>;
  static_assert(offsetof(Vtbl, methods) == sizeof(IDispatchVtbl));

  // Built on first use: the interface's own entries live in another file.
  static const IDispatchVtbl* vtable() noexcept {
    static const Vtbl table = [] {
      Vtbl built{{Base::queryInterface, Base::addRef, Base::release, getTypeInfoCount, getTypeInfo,
                  getIDsOfNames, invoke},
                 {}};
      const auto own = dualMethods<C>();
      std::copy(own.begin(), own.end(), built.methods.begin());
      return built;
    }();
    return &table.dispatch;
  }

  static IDispatch* create() noexcept {
    auto* object = new (std::nothrow) DispatchObject{{}, {vtable()}, {1}, nullptr};
    if (object == nullptr) return nullptr;
    object->comparer = new (std::nothrow) C();
    if (object->comparer == nullptr) {
      delete object;
      return nullptr;
    }
    objectCreated();
    return &object->iface;
  }
};

static_assert(std::is_standard_layout_v<DispatchObject<Corvane>>);
static_assert(std::is_standard_layout_v<DispatchObject<Corvane_old>>);

}  // namespace

IDispatch* newCorvaneObject() noexcept {
  return DispatchObject<Corvane>::create();
}
IDispatch* newCorvaneOldObject() noexcept {
  return DispatchObject<Corvane_old>::create();
}

}  // namespace cvn::automation
