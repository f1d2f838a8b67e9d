// The automation runtime the POSIX build carries itself, and the library as a server: reference
// counts, locks and registration.
#include <gtest/gtest.h>

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

TEST(Automation, StringsVariantsAndVectors) {
  const char16_t units[] = {u'a', 0, u'b'};
  BSTR text = SysAllocStringLen(units, 3), copied = SysAllocStringLen(nullptr, 2);
  EXPECT_EQ(bstrView(text), std::u16string_view(units, 3));
  EXPECT_EQ(std::u16string(copied, 3), std::u16string(3, u'\0'));  // zeros, then the closing NUL
  SysFreeString(copied);
  VARIANT v{}, copy{};
  LONG index = 1, lower = 0, upper = 0;
  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = SafeArrayCreateVector(VT_BSTR, -1, 3);
  EXPECT_EQ(SafeArrayPutElement(v.parray, &index, text), S_OK);
  EXPECT_EQ(VariantCopy(&copy, &v), S_OK);  // the array and its strings copied
  EXPECT_EQ(copy.vt, v.vt);
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(SafeArrayGetElement(copy.parray, &index, &copied), S_OK);
  EXPECT_EQ(bstrView(copied), bstrView(text));
  EXPECT_EQ(SafeArrayGetLBound(copy.parray, 1, &lower) | SafeArrayGetUBound(copy.parray, 1, &upper),
            S_OK);
  EXPECT_EQ(std::pair(lower, upper), std::pair(-1, 1));
  EXPECT_EQ(SafeArrayGetElement(copy.parray, &(index = 2), &copied), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
  VARIANT numbers{}, numbersCopy{};  // numbers are put by pointer and copied by value
  numbers.vt = VT_ARRAY | VT_I4;
  numbers.parray = SafeArrayCreateVector(VT_I4, 0, 2);
  LONG seven = 7, got = 0;
  EXPECT_EQ(SafeArrayPutElement(numbers.parray, &(index = 1), &seven), S_OK);
  EXPECT_EQ(VariantCopy(&numbersCopy, &numbers), S_OK);
  EXPECT_EQ(SafeArrayGetElement(numbersCopy.parray, &index, &got) | VariantClear(&numbers) |
                VariantClear(&numbersCopy),
            S_OK);
  EXPECT_EQ(got, 7);
  v.vt = VT_BYREF | VT_BSTR;  // by reference: nothing is freed
  v.pbstrVal = &text;
  for (VARIANT* each : {&v, &copy}) EXPECT_EQ(VariantClear(each), S_OK);
  for (BSTR each : {text, copied}) SysFreeString(each);
}

TEST(Automation, ReferencesKeepObjectsAndTheLibraryAlive) {
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

// Registering (twice) and unregistering leave what others wrote in the file as it was.
TEST(Automation, RegistrationLeavesOtherSectionsAsTheyWere) {
  test::TempDir dir;
  const std::string other = "; a\r\n[Thing0]\r\nCLSID={0000000a-0000-0000-0000-0000000000bc}";
  dir.write("r.ini", other);
  setenv("CVN_REGISTRY", (dir.path() / "r.ini").c_str(), 1);
  EXPECT_EQ(DllRegisterServer() | DllRegisterServer() | DllUnregisterServer(), S_OK);
  std::ifstream in(dir.path() / "r.ini", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), other);
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(u"THING0", &clsid), S_OK);
  EXPECT_EQ(clsid.Data1 + clsid.Data4[7], 10u + 0xbc);
  EXPECT_EQ(CLSIDFromProgID(u"Thing 0", &clsid), CO_E_CLASSSTRING);  // no such name is registered
  // An empty CVN_REGISTRY counts as none: the file is then XDG_DATA_HOME's.
  setenv("CVN_REGISTRY", "", 1);
  setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
  EXPECT_EQ(DllRegisterServer(), S_OK);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "cvn/registry.ini"));
  EXPECT_EQ(DllUnregisterServer(), S_OK);
  unsetenv("XDG_DATA_HOME");
  unsetenv("CVN_REGISTRY");
}

}  // namespace
}  // namespace cvn::automation
