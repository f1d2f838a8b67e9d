// DllRegisterServer and DllUnregisterServer on Windows: the classes under
// HKEY_CLASSES_ROOT and the type library embedded in the DLL.

#include <string>
#include <vector>

#include "component/automation_guids.hpp"
#include "component/cvn_automation.h"
#include "component/guarded_call.hpp"
#include "component/interface.hpp"
#include "component/type_library_windows.hpp"

namespace cvn::automation {
namespace {

std::wstring progIdOf(const ClassIdentity& entry) {
  return L"CVN_Core." + std::wstring(entry.name.begin(), entry.name.end());
}

std::wstring wideGuid(const GUID& guid) {
  const std::string text = guidText(guid);
  return std::wstring(text.begin(), text.end());  // ASCII only
}

HRESULT fromStatus(LSTATUS status) {
  return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

// Creates HKCR\<key> and sets one value of it (the default one when name is null).
HRESULT setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  LSTATUS status =
      RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &handle, nullptr);
  if (status != ERROR_SUCCESS) return fromStatus(status);
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  status =
      RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  RegCloseKey(handle);
  return fromStatus(status);
}

HRESULT createKey(const std::wstring& key) {
  HKEY handle = nullptr;
  const LSTATUS status =
      RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &handle, nullptr);
  if (status == ERROR_SUCCESS) RegCloseKey(handle);
  return fromStatus(status);
}

// Removes HKCR\<key> with everything under it; a key that is not there is fine.
HRESULT deleteTree(const std::wstring& key) {
  const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
    if (status == ERROR_SUCCESS) RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return S_OK;
  }
  return fromStatus(status);
}

HRESULT registerClass(const ClassIdentity& entry, const std::wstring& library) {
  const std::wstring clsid = wideGuid(entry.clsid);
  const std::wstring classKey = L"CLSID\\" + clsid;
  const std::wstring progId = progIdOf(entry);
  const std::pair<std::wstring, std::wstring> defaults[] = {
      {progId, progId},
      {progId + L"\\CLSID", clsid},
      {classKey, progId},
      {classKey + L"\\InprocServer32", library},
      {classKey + L"\\ProgID", progId},
      {classKey + L"\\TypeLib", wideGuid(LIBID_CVN_Core)},
      {classKey + L"\\VERSION", L"1.0"},
  };
  for (const auto& [key, value] : defaults) {
    const HRESULT hr = setValue(key, nullptr, value);
    if (FAILED(hr)) return hr;
  }
  HRESULT hr = setValue(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
  if (FAILED(hr)) return hr;
  return createKey(classKey + L"\\Programmable");
}

HRESULT unregisterServer() {
  HRESULT result = S_OK;
  for (const ClassIdentity& entry : kClasses) {
    for (const std::wstring& key : {progIdOf(entry), L"CLSID\\" + wideGuid(entry.clsid)}) {
      const HRESULT hr = deleteTree(key);
      if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
  }
  // Removes the library's entries and those of its interfaces; absent is fine.
  UnRegisterTypeLib(LIBID_CVN_Core, CVN_TYPELIB_VERSION_MAJOR, CVN_TYPELIB_VERSION_MINOR,
                    LANG_NEUTRAL, SYS_WIN64);
  for (const ClassIdentity& entry : kClasses) {
    deleteTree(L"Interface\\" + wideGuid(entry.iid));
  }
  return result;
}

HRESULT registerServer() {
  const std::wstring library = modulePath();
  if (library.empty()) return SELFREG_E_CLASS;
  for (const ClassIdentity& entry : kClasses) {
    const HRESULT hr = registerClass(entry, library);
    if (FAILED(hr)) {
      unregisterServer();  // no half registration left behind
      return hr;
    }
  }
  // The type library registers the interfaces too (dual ones with the
  // standard automation marshaller as their proxy).
  ITypeLib* typeLibrary = nullptr;
  HRESULT hr = loadTypeLibrary(&typeLibrary);
  if (SUCCEEDED(hr)) {
    std::wstring path = library;  // the API takes a non-const string
    hr = RegisterTypeLib(typeLibrary, path.data(), nullptr);
    typeLibrary->lpVtbl->Release(typeLibrary);
  }
  if (FAILED(hr)) {
    unregisterServer();
    return SELFREG_E_TYPELIB;
  }
  return S_OK;
}

}  // namespace
}  // namespace cvn::automation

extern "C" HRESULT DllRegisterServer(void) {
  return cvn::automation::guarded([] { return cvn::automation::registerServer(); });
}

extern "C" HRESULT DllUnregisterServer(void) {
  return cvn::automation::guarded([] { return cvn::automation::unregisterServer(); });
}
