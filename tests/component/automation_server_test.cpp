// The library as a server: reference counts decide when objects and the library may go, and
// registration adds and removes its own entries in the registry file, byte for byte.
#include <gtest/gtest.h>

#include <fstream>

#include "component/automation_guids.hpp"
#include "component/cvn_automation.h"
#include "platform/registry_file_posix.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

TEST(AutomationServer, ReferencesKeepObjectsAndTheLibraryAlive) {
  ASSERT_EQ(DllCanUnloadNow(), S_OK);
  IClassFactory* factory = nullptr;
  IDispatch* obj = nullptr;
  void* other = nullptr;
  ASSERT_EQ(DllGetClassObject(CLSID_Corvane, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
            S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);  // a factory is an object too
  ASSERT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, IID__Corvane,
                                            reinterpret_cast<void**>(&obj)),
            S_OK);
  EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, IID__Corvane_old, &other),
            E_NOINTERFACE);
  EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, reinterpret_cast<IUnknown*>(obj), IID_IUnknown,
                                            &other),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(factory->lpVtbl->LockServer(factory, TRUE), S_OK);
  EXPECT_EQ(factory->lpVtbl->Release(factory), 0u);

  EXPECT_EQ(obj->lpVtbl->AddRef(obj), 2u);
  EXPECT_EQ(obj->lpVtbl->QueryInterface(obj, IID_IUnknown, &other), S_OK);
  EXPECT_EQ(other, obj);
  EXPECT_EQ(obj->lpVtbl->QueryInterface(obj, IID_IClassFactory, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  for (ULONG left : {2u, 1u, 0u}) EXPECT_EQ(obj->lpVtbl->Release(obj), left);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);  // still locked
  ASSERT_EQ(DllGetClassObject(CLSID_Corvane_old, IID_IUnknown, reinterpret_cast<void**>(&factory)),
            S_OK);
  factory->lpVtbl->LockServer(factory, FALSE);
  factory->lpVtbl->Release(factory);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  EXPECT_EQ(DllGetClassObject(IID__Corvane, IID_IClassFactory, &other), CLASS_E_CLASSNOTAVAILABLE);
}

TEST(AutomationServer, RegistrySectionsComeAndGoByteForByte) {
  for (const std::string original :
       {"", "x=1", "; note\r\n[Other]\r\nk=v\r\n", "top\n[A]\na=1\n\n[B]\n# kept\nb=2"}) {
    automation::RegistryText text(original);
    text.put({{"Mine\\{1}", {{"k", "v"}}}, {"Second", {{"Name", "x"}}}});
    text.put({{"MINE\\{1}", {{"k", "w"}}}});  // replaced in place
    EXPECT_EQ(text.value("mine\\{1}", "K"), "w");
    EXPECT_EQ(text.remove({"Mine\\{1}", "second", "absent"}), 2u);
    EXPECT_EQ(text.bytes(), original);
  }
}

class Registration : public ::testing::Test {
 protected:
  Registration() { setenv("CVN_REGISTRY", file.c_str(), 1); }
  ~Registration() override {
    unsetenv("CVN_REGISTRY");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", home.c_str(), 1);
  }
  std::string bytes() const {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  const std::string home = std::getenv("HOME");
  TempDir dir;
  std::filesystem::path file = dir.path() / "registry.ini";
};

TEST_F(Registration, ProgIdsFindTheClassesOnlyWhileRegistered) {
  const std::string original = "[Other.Thing]\nCLSID={00000000-0000-0000-0000-000000000001}\njunk";
  dir.write("registry.ini", original);
  CLSID clsid{};
  ASSERT_EQ(DllRegisterServer(), S_OK);
  const std::string registered = bytes();
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(bytes(), registered);
  EXPECT_EQ(CLSIDFromProgID(u"cvn_core.CORVANE_OLD", &clsid), S_OK);
  EXPECT_TRUE(automation::sameGuid(clsid, CLSID_Corvane_old));
  EXPECT_EQ(CLSIDFromProgID(CVN_PROGID_CORVANE, &clsid), S_OK);
  EXPECT_TRUE(automation::sameGuid(clsid, CLSID_Corvane));
  ASSERT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_EQ(bytes(), original);
  EXPECT_EQ(CLSIDFromProgID(CVN_PROGID_CORVANE, &clsid), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(CLSIDFromProgID(u"Other.Thing", &clsid), S_OK);
  EXPECT_EQ(clsid.Data4[7], 1);
  EXPECT_EQ(CLSIDFromProgID(u"a]b", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);
  setenv("CVN_REGISTRY", (dir.path() / "registry.ini" / "x").c_str(), 1);  // under a file
  EXPECT_EQ(DllRegisterServer(), static_cast<HRESULT>(0x80070003u));
}

TEST_F(Registration, TheDefaultFileLivesInTheUsersDataFolder) {
  unsetenv("CVN_REGISTRY");
  setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "cvn" / "registry.ini"));
  setenv("XDG_DATA_HOME", "relative/ignored", 1);
  setenv("HOME", dir.path().c_str(), 1);
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / ".local/share/cvn/registry.ini"));
}

}  // namespace
}  // namespace cvn::test
