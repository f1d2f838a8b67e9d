#include "component/type_library_windows.hpp"

#include <vector>

namespace cvn::automation {

std::wstring modulePath() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&modulePath), &module)) {
    return {};
  }
  // Paths may exceed MAX_PATH; grow until the name fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

HRESULT loadTypeLibrary(ITypeLib** library) {
  if (library == nullptr) return E_POINTER;
  *library = nullptr;
  const std::wstring path = modulePath();
  if (path.empty()) return TYPE_E_CANTLOADLIBRARY;
  // The library is resource 1 of the DLL, which LoadTypeLibEx finds by the path alone.
  return LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
}

HRESULT interfaceTypeInfo(const IID& iid, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  ITypeLib* library = nullptr;
  const HRESULT hr = loadTypeLibrary(&library);
  if (FAILED(hr)) return hr;
  const HRESULT found = library->lpVtbl->GetTypeInfoOfGuid(library, iid, info);
  library->lpVtbl->Release(library);
  return found;
}

}  // namespace cvn::automation
