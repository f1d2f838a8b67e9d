// The vtable side of the dual interfaces: entry k after IDispatch's calls the k-th method with
// its arguments in order, writes in/out ones back through their pointers, returns the result
// through the last one and a failure as 0x800A0000 + its number.
#include "component/dual_interface.hpp"

#include <gtest/gtest.h>

#include "component/automation_strings.hpp"
#include "component/corvane.hpp"
#include "component/dispatch_object.hpp"
#include "export/module1.hpp"
#include "export/save_dialog_posix.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

using automation::bstrView;

// BSTR arguments that live for the whole test.
struct Texts {
  std::vector<BSTR> all;
  BSTR operator()(std::u16string_view text) { return all.emplace_back(automation::makeBstr(text)); }
  ~Texts() {
    for (BSTR text : all) SysFreeString(text);
  }
};

template <typename Fn>
Fn entry(IDispatch* object, size_t index) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<automation::DualMethod const*>(object->lpVtbl + 1)[index]);
}

TEST(DualInterface, EntriesCallTheirMethods) {
  TempDir dir;
  dir.write("old/f.c", "int a;\n// note\nint b = 1;\n");
  dir.write("new/f.c", "int a;\n// note changed\nint b = 2;\nextra();\n");
  Texts t;
  IDispatch* object = automation::newCorvaneObject();
  void* dual = nullptr;
  ASSERT_EQ(object->lpVtbl->QueryInterface(object, IID__Corvane, &dual), S_OK);
  EXPECT_EQ(dual, object);
  object->lpVtbl->Release(object);

  using Lines = HRESULT (*)(IDispatch*, BSTR, BSTR, SHORT, SHORT*);
  SHORT changed = 0, old = 0;
  EXPECT_EQ(entry<Lines>(object, 7)(object, t(u"int x = 1;"), t(u"int x = 2;"), 3, &changed), S_OK);
  EXPECT_EQ(entry<Lines>(object, 8)(object, t(u"int x = 1;"), t(u"int x = 2;"), 3, &old), S_OK);
  EXPECT_EQ(changed, Corvane().determineChangedLine(u"int x = 1;", u"int x = 2;", 3));
  EXPECT_EQ(old, Corvane().determineChangedLine_old(u"int x = 1;", u"int x = 2;", 3));

  using Report = HRESULT (*)(IDispatch*, BSTR, BSTR, BSTR, BSTR*);
  BSTR report = t(u"stale: an [out] value is overwritten, never freed");
  EXPECT_EQ(entry<Report>(object, 4)(object, t(dir.u16()), t(dir.u16("old/f.c")),
                                     t(dir.u16("new/f.c")), &report),
            S_OK);
  EXPECT_EQ(bstrView(report),
            Corvane().compareMatchedFiles(dir.u16(), dir.u16("old/f.c"), dir.u16("new/f.c")));
  SysFreeString(report);
  EXPECT_EQ(entry<Report>(object, 4)(object, t(dir.u16()), t(dir.u16("old/f.c")),
                                     t(dir.u16("none.c")), &report),
            static_cast<HRESULT>(0x800A0000u + 53));
  EXPECT_EQ(report, nullptr);
  EXPECT_EQ(entry<Report>(object, 4)(object, t(u""), t(u""), t(u""), nullptr), E_POINTER);

  using Insert = HRESULT (*)(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*);
  VARIANT v[5];
  for (VARIANT& value : v) VariantInit(&value);
  v[3].vt = VT_BSTR;
  v[3].bstrVal = automation::makeBstr(u"o'k");
  EXPECT_EQ(entry<Insert>(object, 6)(object, &v[0], &v[1], &v[2], &v[3], &v[4]), S_OK);
  EXPECT_EQ(bstrView(v[3].bstrVal), u"o''k");
  for (VARIANT& value : v) VariantClear(&value);
  object->lpVtbl->Release(object);
}

TEST(DualInterface, LegacyEntriesFollowTheirOwnInterface) {
  std::string title;
  Module1::ScopedSaveDialog dialog([&](Module1::OPENFILENAME& ofn) {
    title = ofn.lpstrTitle;
    return acceptChosenPath(ofn, "/chosen");
  });
  Texts t;
  IDispatch* object = automation::newCorvaneOldObject();
  void* dual = nullptr;
  EXPECT_EQ(object->lpVtbl->QueryInterface(object, IID__Corvane, &dual), E_NOINTERFACE);

  // Optional in/out arguments left out as null pointers.
  using Save = HRESULT (*)(IDispatch*, BSTR*, BSTR, BSTR*, LONG*, BSTR*);
  BSTR init = t(u"/tmp"), chosen = nullptr;
  EXPECT_EQ(entry<Save>(object, 0)(object, &init, t(u""), nullptr, nullptr, &chosen), S_OK);
  EXPECT_EQ(bstrView(chosen), u"/chosen");
  EXPECT_EQ(title, "Open File");
  SysFreeString(chosen);

  // calBlankLines is entry 10 here, and normalises the caller's array.
  SAFEARRAY* lines = SafeArrayCreateVector(VT_BSTR, 0, 2);
  LONG index = 0, count = 0;
  SafeArrayPutElement(lines, &index, t(u" a\t"));
  using Blanks = HRESULT (*)(IDispatch*, SAFEARRAY**, LONG*);
  EXPECT_EQ(entry<Blanks>(object, 10)(object, &lines, &count), S_OK);
  EXPECT_EQ(count, 1);
  BSTR first = nullptr;
  SafeArrayGetElement(lines, &index, &first);
  EXPECT_EQ(bstrView(first), u"a");
  SysFreeString(first);
  SafeArrayDestroy(lines);
  object->lpVtbl->Release(object);
}

}  // namespace
}  // namespace cvn::test
