/* The binary automation interface of libcvn_core: what a late-binding host
 * written in C (or any language with a C foreign function interface) needs to
 * create the comparer classes and call them through IDispatch. The types and
 * system functions come from the automation ABI (platform/automation.h); this
 * header adds the library's entry points and the identifiers of the CVN_Core
 * type library. Hosts that load the library with dlopen define INITGUID in
 * one translation unit to get the GUIDs' definitions. */
#ifndef CVN_AUTOMATION_H
#define CVN_AUTOMATION_H

#include "../platform/automation.h"

#ifndef _WIN32

#ifdef __cplusplus
extern "C" {
#endif

/* The class identifier registered for a programmatic identifier. */
CVN_EXPORT HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);

CVN_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
CVN_EXPORT HRESULT DllCanUnloadNow(void);
CVN_EXPORT HRESULT DllRegisterServer(void);
CVN_EXPORT HRESULT DllUnregisterServer(void);

#ifdef __cplusplus
}
#endif

#endif /* !_WIN32 */

/* ---- What is ours, on every platform. ---- */

/* Type library CVN_Core 1.0, its classes and their dispatch interfaces. */
DEFINE_GUID(LIBID_CVN_Core, 0xd68fcfe0, 0x4a2c, 0x460d, 0x91, 0x7a, 0x37, 0x25, 0x79, 0xe4, 0x9c,
            0x74);
DEFINE_GUID(CLSID_Corvane, 0x4e52d72c, 0x9700, 0x4d80, 0x9e, 0x59, 0x0f, 0xb8, 0xa3, 0xac, 0x9d,
            0x16);
DEFINE_GUID(CLSID_Corvane_old, 0xb527919b, 0x91a6, 0x40e0, 0xbe, 0x83, 0x8e, 0xb6, 0x23, 0x4d, 0x50,
            0xd3);
DEFINE_GUID(IID__Corvane, 0xc03e29ce, 0xfac9, 0x45e0, 0x8e, 0x17, 0x0e, 0x5b, 0xab, 0xc1, 0x6c,
            0x91);
DEFINE_GUID(IID__Corvane_old, 0x86b2988d, 0x6e57, 0x405b, 0xa6, 0x60, 0x5e, 0x93, 0xc0, 0x32, 0xbe,
            0x9c);

#define CVN_TYPELIB_NAME "CVN_Core"
#define CVN_TYPELIB_VERSION_MAJOR 1
#define CVN_TYPELIB_VERSION_MINOR 0
#define CVN_PROGID_CORVANE OLESTR("CVN_Core.Corvane")
#define CVN_PROGID_CORVANE_OLD OLESTR("CVN_Core.Corvane_old")

/* The exports as function pointer types, for hosts that load the library at
 * run time (dlopen/dlsym, LoadLibrary/GetProcAddress). */
typedef BSTR(CVN_STDAPICALLTYPE* CVN_PFN_SysAllocString)(const OLECHAR*);
typedef BSTR(CVN_STDAPICALLTYPE* CVN_PFN_SysAllocStringLen)(const OLECHAR*, UINT);
typedef void(CVN_STDAPICALLTYPE* CVN_PFN_SysFreeString)(BSTR);
typedef UINT(CVN_STDAPICALLTYPE* CVN_PFN_SysStringLen)(BSTR);
typedef void(CVN_STDAPICALLTYPE* CVN_PFN_VariantInit)(VARIANTARG*);
typedef HRESULT(CVN_STDAPICALLTYPE* CVN_PFN_VariantClear)(VARIANTARG*);
typedef SAFEARRAY*(CVN_STDAPICALLTYPE* CVN_PFN_SafeArrayCreateVector)(VARTYPE, LONG, ULONG);
typedef HRESULT(CVN_STDAPICALLTYPE* CVN_PFN_SafeArrayPutElement)(SAFEARRAY*, LONG*, void*);
typedef HRESULT(CVN_STDAPICALLTYPE* CVN_PFN_SafeArrayGetElement)(SAFEARRAY*, LONG*, void*);
typedef HRESULT(CVN_STDAPICALLTYPE* CVN_PFN_SafeArrayGetBound)(SAFEARRAY*, UINT, LONG*);
typedef HRESULT(CVN_STDAPICALLTYPE* CVN_PFN_SafeArrayDestroy)(SAFEARRAY*);
typedef HRESULT(CVN_STDAPICALLTYPE* CVN_PFN_CLSIDFromProgID)(LPCOLESTR, LPCLSID);
typedef HRESULT(CVN_STDAPICALLTYPE* CVN_PFN_DllGetClassObject)(REFCLSID, REFIID, LPVOID*);
typedef HRESULT(CVN_STDAPICALLTYPE* CVN_PFN_DllCanUnloadNow)(void);
typedef HRESULT(CVN_STDAPICALLTYPE* CVN_PFN_DllRegisterServer)(void);
typedef HRESULT(CVN_STDAPICALLTYPE* CVN_PFN_DllUnregisterServer)(void);

#endif /* CVN_AUTOMATION_H */
