// The automation runtime the POSIX build carries itself (strings, variants, vectors), and the
// library as a server: reference counts decide when it may go, and registration adds and
// removes its own entries in the registry file, byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "component/automation_guids.hpp"
#include "component/automation_strings.hpp"
#include "component/cvn_automation.h"
#include "support/temp_dir.hpp"

namespace cvn::automation {
namespace {

// The platform's object model.
static_assert(sizeof(OLECHAR) == 2 && sizeof(GUID) == 16 && offsetof(VARIANT, lVal) == 8);
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*) && sizeof(EXCEPINFO) == 8 * sizeof(void*));
static_assert(offsetof(SAFEARRAY, pvData) == (sizeof(void*) == 8 ? 16 : 12));

TEST(AutomationValues, StringsVariantsAndVectors) {
  const char16_t units[] = {u'a', 0, u'b'};
  BSTR text = SysAllocStringLen(units, 3), blank = SysAllocStringLen(nullptr, 2);
  uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<char*>(text) - 4, 4);
  EXPECT_EQ(bytes, 6u);
  EXPECT_EQ(bstrView(text), std::u16string_view(units, 3));
  EXPECT_EQ(std::u16string(blank, 3), std::u16string(3, u'\0'));  // zeros, then the closing NUL
  EXPECT_EQ(SysAllocString(nullptr), nullptr);

  VARIANT v{}, copy{};
  LONG index = 1, bound = 0;
  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = SafeArrayCreateVector(VT_BSTR, -1, 3);
  EXPECT_EQ(SafeArrayPutElement(v.parray, &index, text), S_OK);
  EXPECT_EQ(VariantCopy(&copy, &v), S_OK);  // the array and its strings copied
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(SafeArrayGetElement(copy.parray, &index, &blank), S_OK);
  EXPECT_EQ(bstrView(blank), bstrView(text));
  EXPECT_EQ(SafeArrayGetUBound(copy.parray, 1, &bound) + SafeArrayGetLBound(copy.parray, 1, &index),
            S_OK);
  EXPECT_EQ(index * 10 + bound, -9);
  EXPECT_EQ(SafeArrayGetElement(copy.parray, &(index = 2), &blank), DISP_E_BADINDEX);
  copy.parray->cLocks = 1;
  EXPECT_EQ(VariantClear(&copy), DISP_E_ARRAYISLOCKED);
  copy.parray->cLocks = 0;
  v.vt = VT_BYREF | VT_BSTR;  // by reference: nothing is freed
  v.pbstrVal = &text;
  for (VARIANT* each : {&v, &copy}) EXPECT_EQ(VariantClear(each), S_OK);
  // A host may lay an array out itself; destroying it frees only the elements.
  BSTR items[1] = {text};
  SAFEARRAY own{1, FADF_STATIC | FADF_BSTR, sizeof(BSTR), 0, items, {{1, 0}}};
  EXPECT_EQ(SafeArrayDestroy(&own), S_OK);
  EXPECT_EQ(items[0], nullptr);
  SysFreeString(blank);
}

TEST(AutomationServer, ReferencesKeepObjectsAndTheLibraryAlive) {
  IClassFactory* factory = nullptr;
  void *object = nullptr, *other = nullptr;
  ASSERT_EQ(DllCanUnloadNow(), S_OK);
  ASSERT_EQ(DllGetClassObject(CLSID_Corvane, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
            S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);  // a factory is an object too
  const auto create = factory->lpVtbl->CreateInstance;
  EXPECT_EQ(create(factory, nullptr, IID__Corvane_old, &other), E_NOINTERFACE);
  EXPECT_EQ(create(factory, reinterpret_cast<IUnknown*>(&other), IID_IUnknown, &other),
            CLASS_E_NOAGGREGATION);
  ASSERT_EQ(create(factory, nullptr, IID__Corvane, &object), S_OK);
  for (BOOL lock : {TRUE, TRUE, FALSE}) factory->lpVtbl->LockServer(factory, lock);
  EXPECT_EQ(factory->lpVtbl->Release(factory), 0u);
  auto* d = static_cast<IDispatch*>(object);
  EXPECT_EQ(d->lpVtbl->QueryInterface(d, IID_IUnknown, &other), S_OK);
  EXPECT_EQ(other, object);
  EXPECT_EQ(d->lpVtbl->QueryInterface(d, IID_IClassFactory, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(d->lpVtbl->AddRef(d), 3u);
  for (ULONG left : {2u, 1u, 0u}) EXPECT_EQ(d->lpVtbl->Release(d), left);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);  // still locked, once
  ASSERT_EQ(DllGetClassObject(CLSID_Corvane_old, IID_IUnknown, reinterpret_cast<void**>(&factory)),
            S_OK);
  factory->lpVtbl->LockServer(factory, FALSE);
  factory->lpVtbl->Release(factory);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  EXPECT_EQ(DllGetClassObject(IID__Corvane, IID_IClassFactory, &other), CLASS_E_CLASSNOTAVAILABLE);
}

// Other programs' sections, comments, lines we do not know and a last line without a line end
// stay as they were; the registry file is $CVN_REGISTRY, else under $XDG_DATA_HOME when absolute,
// else under $HOME.
TEST(Registration, ComesAndGoesLeavingTheRestOfTheFile) {
  test::TempDir dir;
  const std::filesystem::path file = dir.path() / "registry.ini";
  auto bytes = [&] {
    std::ifstream in(file, std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  };
  setenv("CVN_REGISTRY", file.c_str(), 1);
  CLSID clsid{};
  for (const std::string original :
       {"", "x", "; note\r\n[Other]\r\nk=v\r\n",
        "[Other.Thing]\nCLSID={0000000a-0000-0000-0000-0000000000bc}\nj"}) {
    dir.write("registry.ini", original);
    ASSERT_EQ(DllRegisterServer(), S_OK);
    const std::string registered = bytes();
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(bytes(), registered);
    EXPECT_EQ(CLSIDFromProgID(u"cvn_core.CORVANE_OLD", &clsid), S_OK);
    EXPECT_TRUE(sameGuid(clsid, CLSID_Corvane_old));
    ASSERT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(bytes(), original);
    EXPECT_EQ(CLSIDFromProgID(CVN_PROGID_CORVANE, &clsid), REGDB_E_CLASSNOTREG);
  }
  EXPECT_EQ(CLSIDFromProgID(u"Other.Thing", &clsid), S_OK);
  EXPECT_EQ(clsid.Data1 + clsid.Data4[7], 10u + 0xbc);
  EXPECT_EQ(CLSIDFromProgID(u"a]b", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
  setenv("CVN_REGISTRY", (file / "under-a-file.ini").c_str(), 1);
  EXPECT_EQ(DllRegisterServer(), static_cast<HRESULT>(0x80070003u));

  const std::string home = std::getenv("HOME");
  unsetenv("CVN_REGISTRY");
  for (const char* data : {dir.path().c_str(), "relative/ignored"}) {
    setenv("XDG_DATA_HOME", data, 1);
    setenv("HOME", (dir.path() / "home").c_str(), 1);
    EXPECT_EQ(DllRegisterServer(), S_OK);
  }
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_DATA_HOME");
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "cvn/registry.ini"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "home/.local/share/cvn/registry.ini"));
}

}  // namespace
}  // namespace cvn::automation
