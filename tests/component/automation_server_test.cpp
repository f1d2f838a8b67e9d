#include <gtest/gtest.h>

#include <sys/stat.h>
#include <fstream>
#include <sstream>

#include "component/automation_guids.hpp"
#include "component/dispatch_test_support.hpp"
#include "platform/registry_file_posix.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

using automation::RegistryText;
using automation::sameGuid;

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(AutomationServer, ObjectsCountTheirReferencesAndAnswerTheirInterfaces) {
  ASSERT_EQ(DllCanUnloadNow(), S_OK);
  IClassFactory* factory = nullptr;
  ASSERT_EQ(DllGetClassObject(CLSID_Corvane, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
            S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);  // a factory is an outstanding object

  IUnknown outer{nullptr};
  void* none = &outer;
  EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, &outer, IID_IUnknown, &none),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(none, nullptr);
  IDispatch* obj = nullptr;
  ASSERT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, IID__Corvane,
                                            reinterpret_cast<void**>(&obj)),
            S_OK);
  EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, IID__Corvane_old, &none),
            E_NOINTERFACE);
  EXPECT_EQ(factory->lpVtbl->LockServer(factory, TRUE), S_OK);
  EXPECT_EQ(factory->lpVtbl->Release(factory), 0u);

  EXPECT_EQ(obj->lpVtbl->AddRef(obj), 2u);
  void* unknown = nullptr;
  EXPECT_EQ(obj->lpVtbl->QueryInterface(obj, IID_IUnknown, &unknown), S_OK);
  EXPECT_EQ(unknown, obj);
  void* dispatch = nullptr;
  EXPECT_EQ(obj->lpVtbl->QueryInterface(obj, IID_IDispatch, &dispatch), S_OK);
  EXPECT_EQ(obj->lpVtbl->QueryInterface(obj, IID_IClassFactory, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(obj->lpVtbl->QueryInterface(obj, IID_IDispatch, nullptr), E_POINTER);
  UINT count = 9;
  EXPECT_EQ(obj->lpVtbl->GetTypeInfoCount(obj, &count), S_OK);
  EXPECT_EQ(count, 0u);
  ITypeInfo* info = nullptr;
  EXPECT_EQ(obj->lpVtbl->GetTypeInfo(obj, 0, 0, &info), E_NOTIMPL);
  EXPECT_EQ(obj->lpVtbl->Release(obj), 3u);
  EXPECT_EQ(obj->lpVtbl->Release(obj), 2u);
  EXPECT_EQ(obj->lpVtbl->Release(obj), 1u);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  EXPECT_EQ(obj->lpVtbl->Release(obj), 0u);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);  // still locked

  ASSERT_EQ(DllGetClassObject(CLSID_Corvane_old, IID_IUnknown, reinterpret_cast<void**>(&factory)),
            S_OK);
  EXPECT_EQ(factory->lpVtbl->LockServer(factory, FALSE), S_OK);
  EXPECT_EQ(factory->lpVtbl->Release(factory), 0u);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);

  EXPECT_EQ(DllGetClassObject(IID__Corvane, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(DllGetClassObject(CLSID_Corvane, IID_IDispatch, &none), E_NOINTERFACE);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST(AutomationServer, RegistrySectionsComeAndGoByteForByte) {
  for (const std::string& original :
       {std::string(""), std::string("x=1"), std::string("; note\r\n[Other]\r\nk=v\r\n"),
        std::string("top\n[A]\na=1\n\n[B]\n# kept\nb=2")}) {
    RegistryText text(original);
    text.put({{"Mine\\{1}", {{"k", "v"}}}, {"Second", {{"Name", "x"}}}});
    EXPECT_EQ(text.value("mine\\{1}", "K"), "v");
    text.put({{"MINE\\{1}", {{"k", "w"}}}});  // replaced in place
    EXPECT_EQ(text.value("Mine\\{1}", "k"), "w");
    EXPECT_EQ(text.remove({"Mine\\{1}", "second", "absent"}), 2u);
    EXPECT_EQ(text.bytes(), original);
  }
  RegistryText between("[A]\na=1\n");
  between.put({{"Z", {{"z", "1"}}}});
  RegistryText withForeign(between.bytes() + "\n[B]\nb=2\n");
  EXPECT_EQ(withForeign.remove({"Z"}), 1u);
  EXPECT_EQ(withForeign.bytes(), "[A]\na=1\n\n[B]\nb=2\n");
  EXPECT_EQ(withForeign.value("B", "b"), "2");
  EXPECT_EQ(withForeign.value("B", "c"), std::nullopt);
}

class Registration : public ::testing::Test {
 protected:
  TempDir dir;
  std::filesystem::path file = dir.path() / "reg" / "registry.ini";
  ScopedEnv registry{"CVN_REGISTRY", file.c_str()};
};

TEST_F(Registration, RegisteringAndUnregisteringLeavesOtherEntriesAsTheyWere) {
  const std::string original =
      "; shared by other components\n[Other.Thing]\nCLSID={00000000-0000-0000-0000-000000000001}\n"
      "junk line\n\n[CLSID\\{00000000-0000-0000-0000-000000000001}]\nName=other";
  dir.write("reg/registry.ini", original);
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(CVN_PROGID_CORVANE, &clsid), REGDB_E_CLASSNOTREG);

  ASSERT_EQ(DllRegisterServer(), S_OK);
  const std::string registered = readAll(file);
  EXPECT_TRUE(registered.starts_with(original));
  for (const char* expected :
       {"[TypeLib\\{D68FCFE0-4A2C-460D-917A-372579E49C74}\\1.0]\nName=CVN_Core\n",
        "[CLSID\\{4E52D72C-9700-4D80-9E59-0FB8A3AC9D16}]\nName=CVN_Core.Corvane\n",
        "ThreadingModel=Apartment\n", "[CVN_Core.Corvane_old]\n",
        "[Interface\\{86B2988D-6E57-405B-A660-5E93C032BE9C}]\nName=_Corvane_old\n"}) {
    EXPECT_NE(registered.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(CLSIDFromProgID(CVN_PROGID_CORVANE, &clsid), S_OK);
  EXPECT_TRUE(sameGuid(clsid, CLSID_Corvane));
  EXPECT_EQ(CLSIDFromProgID(u"cvn_core.CORVANE_OLD", &clsid), S_OK);
  EXPECT_TRUE(sameGuid(clsid, CLSID_Corvane_old));
  EXPECT_EQ(CLSIDFromProgID(u"Other.Thing", &clsid), S_OK);
  EXPECT_EQ(clsid.Data4[7], 1);

  ASSERT_EQ(DllRegisterServer(), S_OK);  // again: nothing changes
  EXPECT_EQ(readAll(file), registered);
  ASSERT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_EQ(readAll(file), original);
  EXPECT_EQ(CLSIDFromProgID(CVN_PROGID_CORVANE, &clsid), REGDB_E_CLASSNOTREG);
  ASSERT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_EQ(readAll(file), original);
}

TEST_F(Registration, MalformedIdentifiersAndBrokenFilesFailCleanly) {
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(u"", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID(u"a]b", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID(u"9lives", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID(u"A.Very.Long.Programmatic.Identifier.Name", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
  EXPECT_EQ(CLSIDFromProgID(u"CVN_Core.Corvane", nullptr), E_INVALIDARG);
  EXPECT_EQ(CLSIDFromProgID(u"CVN_Core.Corvane", &clsid), REGDB_E_CLASSNOTREG);  // no file

  dir.write("reg/registry.ini", "[Bad.Id]\nCLSID=not-a-guid\n");
  EXPECT_EQ(CLSIDFromProgID(u"Bad.Id", &clsid), REGDB_E_CLASSNOTREG);

  dir.write("plain", "a file where a folder should be");
  ScopedEnv blocked("CVN_REGISTRY", (dir.path() / "plain" / "registry.ini").c_str());
  EXPECT_EQ(DllRegisterServer(), static_cast<HRESULT>(0x80070003u));
  ScopedEnv folder("CVN_REGISTRY", dir.path().c_str());
  EXPECT_TRUE(FAILED(DllRegisterServer()));
  EXPECT_TRUE(FAILED(DllUnregisterServer()));
}

TEST_F(Registration, TheDefaultFileLivesInTheUsersDataFolder) {
  ScopedEnv noOverride("CVN_REGISTRY", nullptr);
  {
    ScopedEnv data("XDG_DATA_HOME", (dir.path() / "data").c_str());
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "data" / "cvn" / "registry.ini"));
    ASSERT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(readAll(dir.path() / "data" / "cvn" / "registry.ini"), "");
  }
  ScopedEnv relative("XDG_DATA_HOME", "relative/ignored");
  ScopedEnv home("HOME", (dir.path() / "home").c_str());
  ASSERT_EQ(DllRegisterServer(), S_OK);
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(CVN_PROGID_CORVANE_OLD, &clsid), S_OK);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "home/.local/share/cvn/registry.ini"));
  ASSERT_EQ(DllUnregisterServer(), S_OK);
}

}  // namespace
}  // namespace cvn::test
