// The vtable side of the dual interfaces: every entry reaches the method of
// the same dispatch identifier, with in/out arguments written back and
// failures returned as 0x800A0000 + number.

#include "component/dual_interface.hpp"

#include <gtest/gtest.h>

#include "component/automation_strings.hpp"
#include "component/corvane.hpp"
#include "component/corvane_old.hpp"
#include "component/dispatch_object.hpp"
#include "component/method_table.hpp"
#include "export/module1.hpp"
#include "export/save_dialog_posix.hpp"
#include "platform/utf.hpp"
#include "support/temp_dir.hpp"

namespace cvn {
namespace {

using automation::bstrView;
using automation::makeBstr;

// A BSTR argument that lives for the whole test.
struct Text {
  BSTR value;
  explicit Text(std::u16string_view text) : value(makeBstr(text)) {}
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  ~Text() { SysFreeString(value); }
};

// Entry `index` of the interface's own part of the vtable, as the type given.
template <typename Fn>
Fn entry(IDispatch* object, size_t index) {
  auto* const* table = reinterpret_cast<automation::DualMethod const*>(object->lpVtbl + 1);
  return reinterpret_cast<Fn>(table[index]);
}

class DualInterface : public ::testing::Test {
 protected:
  void SetUp() override {
    root = dir.path().string();
    dir.write("old/f.c", "int a;\n// note\n\nint b = 1;\nreturn;\n");
    dir.write("new/f.c", "int a;\n// note changed\n\nint b = 2;\nreturn 0;\nextra();\n");
  }

  std::u16string path(std::string_view name) const { return dir.u16(name); }

  test::TempDir dir;
  std::string root;
};

TEST_F(DualInterface, CorvaneEntriesGiveTheCppResults) {
  IDispatch* object = automation::newCorvaneObject();
  ASSERT_NE(object, nullptr);
  void* dual = nullptr;
  ASSERT_EQ(object->lpVtbl->QueryInterface(object, IID__Corvane, &dual), S_OK);
  EXPECT_EQ(dual, object);  // one vtable serves IDispatch and _Corvane
  object->lpVtbl->Release(object);

  Corvane cpp;
  const Text oldRoot(path("old")), newRoot(path("new"));
  const Text oldFile(path("old/f.c")), newFile(path("new/f.c"));
  const Text comment(u"//"), begin(u"/*"), end(u"*/"), type(u"2");

  using CompareFileList = HRESULT (*)(IDispatch*, BSTR, BSTR, BSTR, BSTR, BSTR, SHORT, SHORT, LONG,
                                      BSTR, BSTR, BSTR, BSTR*);
  BSTR statements = nullptr;
  ASSERT_EQ(entry<CompareFileList>(object, 2)(object, oldRoot.value, newRoot.value, oldFile.value,
                                              newFile.value, comment.value, 3, 0, 7, begin.value,
                                              end.value, type.value, &statements),
            S_OK);
  EXPECT_EQ(bstrView(statements),
            cpp.compareFileList(path("old"), path("new"), path("old/f.c"), path("new/f.c"), u"//",
                                3, 0, 7, u"/*", u"*/", u"2"));
  SysFreeString(statements);

  using Lines = HRESULT (*)(IDispatch*, BSTR, BSTR, SHORT, SHORT*);
  const Text one(u"int x = 1;"), two(u"int x = 2;");
  for (const auto& [index, expected] :
       {std::pair{7, cpp.determineChangedLine(u"int x = 1;", u"int x = 2;", 3)},
        std::pair{8, cpp.determineChangedLine_old(u"int x = 1;", u"int x = 2;", 3)}}) {
    SHORT result = 99;
    EXPECT_EQ(entry<Lines>(object, index)(object, one.value, two.value, 3, &result), S_OK);
    EXPECT_EQ(result, expected) << "entry " << index;
  }

  using Exists = HRESULT (*)(IDispatch*, BSTR, SHORT*);
  SHORT exists = 0;
  EXPECT_EQ(entry<Exists>(object, 9)(object, oldFile.value, &exists), S_OK);
  EXPECT_EQ(exists, 1);
  EXPECT_EQ(entry<Exists>(object, 10)(object, oldFile.value, &exists), S_OK);
  EXPECT_EQ(exists, 0);

  // In/out 16-bit argument and a string result.
  using Count = HRESULT (*)(IDispatch*, BSTR, BSTR, SHORT*, BSTR*);
  SHORT fileType = 2;
  BSTR counted = nullptr;
  EXPECT_EQ(entry<Count>(object, 13)(object, oldRoot.value, oldFile.value, &fileType, &counted),
            S_OK);
  EXPECT_EQ(fileType, 2);
  SysFreeString(counted);

  // The builder's escaped name reaches the caller's variant.
  using Insert19 =
      HRESULT (*)(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                  VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                  VARIANT*, VARIANT*, VARIANT*, VARIANT*);
  VARIANT v[19];
  for (VARIANT& value : v) {
    VariantInit(&value);
    value.vt = VT_I4;
  }
  v[8].vt = VT_BSTR;
  v[8].bstrVal = makeBstr(u"it's.c");
  EXPECT_EQ(entry<Insert19>(object, 5)(object, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6],
                                       &v[7], &v[8], &v[9], &v[10], &v[11], &v[12], &v[13], &v[14],
                                       &v[15], &v[16], &v[17], &v[18]),
            S_OK);
  EXPECT_EQ(bstrView(v[8].bstrVal), u"it''s.c");
  VariantClear(&v[8]);

  // A failure: the number in the HRESULT, nothing in the result.
  using Report = HRESULT (*)(IDispatch*, BSTR, BSTR, BSTR, BSTR*);
  const Text missing(path("new/none.c"));
  // An [out] value is the caller's garbage: overwritten, never freed.
  const BSTR stale = makeBstr(u"stale");
  BSTR report = stale;
  EXPECT_EQ(entry<Report>(object, 4)(object, oldRoot.value, oldFile.value, missing.value, &report),
            static_cast<HRESULT>(0x800A0035u));
  EXPECT_EQ(report, nullptr);
  SysFreeString(stale);
  // A missing result pointer.
  EXPECT_EQ(entry<Report>(object, 4)(object, oldRoot.value, oldFile.value, newFile.value, nullptr),
            E_POINTER);

  using Scan = HRESULT (*)(IDispatch*, BSTR, BSTR);
  const Text format(u"x");
  EXPECT_EQ(entry<Scan>(object, 14)(object, oldRoot.value, format.value),
            static_cast<HRESULT>(0x800A000Du));
  object->lpVtbl->Release(object);
}

TEST_F(DualInterface, SaveAFileTakesOptionalArgumentsAsNullPointers) {
  const std::string chosen = root + "/report.txt";
  std::string title;
  Module1::ScopedSaveDialog dialog([&](Module1::OPENFILENAME& ofn) {
    title = ofn.lpstrTitle;
    return acceptChosenPath(ofn, chosen);
  });
  IDispatch* object = automation::newCorvaneOldObject();
  ASSERT_NE(object, nullptr);
  using Save = HRESULT (*)(IDispatch*, BSTR*, BSTR, BSTR*, LONG*, BSTR*);
  Text initDir(path("old")), filters(u"");
  BSTR result = nullptr;
  EXPECT_EQ(
      entry<Save>(object, 0)(object, &initDir.value, filters.value, nullptr, nullptr, &result),
      S_OK);
  EXPECT_EQ(bstrView(result), utf8ToUtf16(chosen));
  EXPECT_EQ(title, "Open File");
  SysFreeString(result);
  object->lpVtbl->Release(object);
}

TEST_F(DualInterface, LegacyEntriesFollowTheirOwnTable) {
  IDispatch* object = automation::newCorvaneOldObject();
  ASSERT_NE(object, nullptr);
  void* dual = nullptr;
  EXPECT_EQ(object->lpVtbl->QueryInterface(object, IID__Corvane, &dual), E_NOINTERFACE);
  ASSERT_EQ(object->lpVtbl->QueryInterface(object, IID__Corvane_old, &dual), S_OK);
  object->lpVtbl->Release(object);

  // calBlankLines is entry 10 here and normalises the caller's array.
  SAFEARRAY* lines = SafeArrayCreateVector(VT_BSTR, 0, 3);
  const char16_t* texts[] = {u" a\t", u"  ", u"b"};
  for (LONG k = 0; k < 3; ++k) {
    Text text(texts[k]);
    ASSERT_EQ(SafeArrayPutElement(lines, &k, text.value), S_OK);
  }
  using Blanks = HRESULT (*)(IDispatch*, SAFEARRAY**, LONG*);
  LONG count = 0;
  EXPECT_EQ(entry<Blanks>(object, 10)(object, &lines, &count), S_OK);
  EXPECT_EQ(count, 1);
  LONG first = 0;
  BSTR element = nullptr;
  ASSERT_EQ(SafeArrayGetElement(lines, &first, &element), S_OK);
  EXPECT_EQ(bstrView(element), u"a");
  SysFreeString(element);
  SafeArrayDestroy(lines);

  // physicalCountOnly without ifileType.
  using Count = HRESULT (*)(IDispatch*, BSTR, BSTR, BSTR*);
  const Text oldRoot(path("old")), oldFile(path("old/f.c"));
  BSTR counted = nullptr;
  EXPECT_EQ(entry<Count>(object, 12)(object, oldRoot.value, oldFile.value, &counted), S_OK);
  SysFreeString(counted);
  object->lpVtbl->Release(object);
}

}  // namespace
}  // namespace cvn
