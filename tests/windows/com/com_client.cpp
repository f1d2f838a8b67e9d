// A C++ host of cvn_core.dll, through real COM: what only Windows shows. The classes come from
// their programmatic identifiers through CoCreateInstance; the type library embedded in the DLL
// marks the interfaces dual and describes the methods the dispatch table has; the vtable side
// reports failures through IErrorInfo; Win32 errors map to the classic numbers; the golden cases
// give their statements with "\" as the separator; the server unloads after its last release and
// its registration comes and goes with DllUnregisterServer and DllRegisterServer.
// Prints each failed check and a closing "N passed, N failed".
//
// Usage: com_client.exe <tests\data folder> <empty scratch folder> <cvn_core.dll>

#define INITGUID
#include "component/cvn_automation.h"
// After <windows.h>, which the line above includes.
#include <cguid.h>

#include "support/golden.hpp"

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

int passed = 0, failed = 0;

void check(bool ok, int line, const char* what, const std::wstring& detail = L"") {
  ok ? ++passed : ++failed;
  if (!ok) std::printf("FAIL line %d: %s [%ls]\n", line, what, detail.c_str());
}
#define CHECK(condition, ...) check((condition), __LINE__, #condition __VA_OPT__(, ) __VA_ARGS__)

VARIANT value(VARTYPE type, LONG number) {
  VARIANT v;
  VariantInit(&v);
  v.vt = type;
  v.lVal = number;  // also iVal and scode, on this little-endian platform
  return v;
}

VARIANT text(const std::wstring& s) {
  VARIANT v = value(VT_BSTR, 0);
  v.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
  return v;
}

DISPID idOf(IDispatch* object, std::wstring name) {
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
  return id;
}

// Invokes with the arguments in interface order, which it frees; a failure inside the method
// gives its scode (0x800A0000 + number).
HRESULT call(IDispatch* object, DISPID id, std::vector<VARIANT> args,
             std::wstring* result = nullptr, UINT* argErr = nullptr) {
  std::reverse(args.begin(), args.end());
  DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
  VARIANT out = value(VT_EMPTY, 0);
  EXCEPINFO ex{};
  UINT unused = 0;
  HRESULT hr = object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &out, &ex,
                              argErr != nullptr ? argErr : &unused);
  if (hr == DISP_E_EXCEPTION) hr = ex.scode;
  if (result != nullptr && out.vt == VT_BSTR)
    result->assign(out.bstrVal, SysStringLen(out.bstrVal));
  for (VARIANT& v : args) VariantClear(&v);
  VariantClear(&out);
  for (BSTR s : {ex.bstrSource, ex.bstrDescription, ex.bstrHelpFile}) SysFreeString(s);
  return hr;
}

IDispatch* create(const wchar_t* progId) {
  CLSID clsid{};
  IDispatch* object = nullptr;
  CHECK(CLSIDFromProgID(progId, &clsid) == S_OK, progId);
  CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                   reinterpret_cast<void**>(&object));
  return object;
}

// The type library describes what the dispatch table holds: the same methods (the dispatch
// identifiers Invoke knows), and for each the same identifier of its name, the same number of
// parameters and the same first required one. Read from the interface half of the dual
// interface, which lists its own methods only.
void checkTypeLibrary(IDispatch* object, const IID& iid) {
  UINT count = 0;
  HREFTYPE half = 0;
  ITypeInfo *info = nullptr, *own = nullptr;
  TYPEATTR* attr = nullptr;
  CHECK(object->GetTypeInfoCount(&count) == S_OK && count == 1);
  if (object->GetTypeInfo(0, 0, &info) != S_OK || info->GetTypeAttr(&attr) != S_OK) {
    return CHECK(false, L"no type information");
  }
  CHECK(IsEqualGUID(attr->guid, iid) && (attr->wTypeFlags & TYPEFLAG_FDUAL) != 0);
  info->ReleaseTypeAttr(attr);
  if (info->GetRefTypeOfImplType(-1, &half) != S_OK || info->GetRefTypeInfo(half, &own) != S_OK ||
      own->GetTypeAttr(&attr) != S_OK) {
    return CHECK(false, L"no interface half");
  }
  std::set<DISPID> described;
  for (UINT k = 0; k < attr->cFuncs; ++k) {
    FUNCDESC* f = nullptr;
    BSTR name = nullptr;
    UINT params = 0, first = ~0u;
    own->GetFuncDesc(k, &f);
    own->GetNames(f->memid, &name, 1, &count);
    for (SHORT p = 0; p < f->cParams; ++p) {
      const USHORT flags = f->lprgelemdescParam[p].paramdesc.wParamFlags;
      if ((flags & PARAMFLAG_FRETVAL) == 0) ++params;
      if ((flags & (PARAMFLAG_FOPT | PARAMFLAG_FRETVAL)) == 0) first = std::min<UINT>(first, p);
    }
    UINT argErr = ~0u;
    const VARIANT missing = value(VT_ERROR, DISP_E_PARAMNOTFOUND);
    described.insert(f->memid);
    CHECK(idOf(object, name) == f->memid, name);
    CHECK(call(object, f->memid, std::vector<VARIANT>(params + 1, missing)) == DISP_E_BADPARAMCOUNT,
          name);
    CHECK(call(object, f->memid, std::vector<VARIANT>(params, missing), nullptr, &argErr) ==
                  DISP_E_PARAMNOTOPTIONAL &&
              argErr == params - 1 - first,
          name);
    SysFreeString(name);
    own->ReleaseFuncDesc(f);
  }
  for (DISPID id = 0x60030000; id < 0x60030040; ++id) {
    CHECK((call(object, id, {}) != DISP_E_MEMBERNOTFOUND) == described.contains(id),
          std::to_wstring(id));
  }
  own->ReleaseTypeAttr(attr);
  own->Release();
  info->Release();
}

// compareMatchedFiles of a pair that exists, of a missing file (53), of a file in a missing
// folder (76), of a file another program holds open (75), all through the vtable.
void checkErrorsThroughTheVtable(IDispatch* object, const std::wstring& dir) {
  using Report = HRESULT(STDMETHODCALLTYPE*)(IDispatch*, BSTR, BSTR, BSTR, BSTR*);
  IDispatch* dual = nullptr;
  CHECK(object->QueryInterface(IID__Corvane, reinterpret_cast<void**>(&dual)) == S_OK);
  const auto report = reinterpret_cast<Report>((*reinterpret_cast<void***>(dual))[7 + 4]);
  const HANDLE held = CreateFileW((L"\\\\?\\" + dir + L"\\held.c").c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_ALWAYS, 0, nullptr);
  const std::pair<const wchar_t*, unsigned long> cases[] = {{L"\\a.c", 0},
                                                            {L"\\none.c", 0x800A0035},
                                                            {L"\\nowhere\\a.c", 0x800A004C},
                                                            {L"\\held.c", 0x800A004B}};
  for (const auto& [file, expected] : cases) {
    VARIANT root = text(dir), one = text(dir + L"\\a.c"), two = text(dir + file);
    BSTR result = nullptr, description = nullptr;
    IErrorInfo* error = nullptr;
    CHECK(static_cast<unsigned long>(
              report(dual, root.bstrVal, one.bstrVal, two.bstrVal, &result)) == expected,
          file);
    if (expected != 0) {
      CHECK(GetErrorInfo(0, &error) == S_OK && error->GetDescription(&description) == S_OK &&
                std::wstring(description).find(dir + file) != std::wstring::npos,
            file);
      if (error != nullptr) error->Release();
    }
    for (BSTR s : {result, description}) SysFreeString(s);
    for (VARIANT* v : {&root, &one, &two}) VariantClear(v);
  }
  CloseHandle(held);
  dual->Release();
}

// Both trees of every case compared through Invoke; the statements are the .sql file's with
// "\" for "/".
void checkGoldenCases(const std::wstring& data) {
  const std::filesystem::path root = std::filesystem::path(data) / "golden";
  int cases = 0;
  for (const cvn::test::GoldenCase& c : cvn::test::goldenCases(root)) {
    IDispatch* object = create(c.legacy ? CVN_PROGID_CORVANE_OLD : CVN_PROGID_CORVANE);
    const std::wstring oldRoot = (root / c.folder / "old").wstring(),
                       newRoot = (root / c.folder / "new").wstring();
    std::wstring oldList, newList, result;
    call(object, idOf(object, L"getFileList"), {text(oldRoot)}, &oldList);
    call(object, idOf(object, L"getFileList"), {text(newRoot)}, &newList);
    for (std::wstring* list : {&oldList, &newList}) {
      for (size_t at = list->find(L'\r'); at != std::wstring::npos; at = list->find(L'\r', at))
        list->replace(at, 1, L"||");
    }
    auto option = [&](const char* name) {
      return text(std::wstring(c.options.at(name).begin(), c.options.at(name).end()));
    };
    call(object, idOf(object, L"compareFileList"),
         {text(oldRoot), text(newRoot), text(oldList), text(newList), option("--comment"),
          value(VT_I2, std::stoi(c.options.at("--threshold"))), value(VT_I2, 0),
          value(VT_I4, std::stoi(c.options.at("--session"))), option("--begin"), option("--end"),
          option("--type")},
         &result);
    std::string expected = cvn::test::goldenExpected(
        root, c, std::filesystem::path(oldRoot).string(), std::filesystem::path(newRoot).string());
    std::replace(expected.begin(), expected.end(), '/', '\\');
    CHECK(std::string(result.begin(), result.end()) == expected,
          std::filesystem::path(c.expectedFile).wstring());
    object->Release();
    ++cases;
  }
  CHECK(cases == 24);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 || FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // a crash still shows every check before it
  // A folder deeper than MAX_PATH, made through the long form the component must not need.
  std::wstring dir = argv[2];
  while (dir.size() < MAX_PATH + 20) {
    dir += L"\\a-folder-name-of-some-length";
    CreateDirectoryW((L"\\\\?\\" + dir).c_str(), nullptr);
  }
  const HANDLE file = CreateFileW((L"\\\\?\\" + dir + L"\\a.c").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
  CloseHandle(file);

  ITypeLib* library = nullptr;
  CHECK(LoadRegTypeLib(LIBID_CVN_Core, 1, 0, 0, &library) == S_OK);
  if (library != nullptr) library->Release();
  for (const bool legacy : {false, true}) {
    IDispatch* object = create(legacy ? CVN_PROGID_CORVANE_OLD : CVN_PROGID_CORVANE);
    if (object == nullptr) continue;
    checkTypeLibrary(object, legacy ? IID__Corvane_old : IID__Corvane);
    if (!legacy) checkErrorsThroughTheVtable(object, dir);
    object->Release();
  }
  checkGoldenCases(argv[1]);

  // The last release lets the DLL go; unregistered, its classes are unknown until registered again.
  CoFreeUnusedLibrariesEx(0, 0);
  CHECK(GetModuleHandleW(L"cvn_core.dll") == nullptr);
  const HMODULE dll = LoadLibraryW(argv[3]);
  auto entry = [&](const char* name) {
    return reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
  };
  CHECK(entry("DllUnregisterServer")() == S_OK);
  IDispatch* object = nullptr;
  CHECK(CoCreateInstance(CLSID_Corvane, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(&object)) == REGDB_E_CLASSNOTREG);
  CHECK(entry("DllRegisterServer")() == S_OK);
  CHECK((object = create(CVN_PROGID_CORVANE_OLD)) != nullptr &&
        entry("DllCanUnloadNow")() == S_FALSE);
  if (object != nullptr) object->Release();
  FreeLibrary(dll);
  CoUninitialize();
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
