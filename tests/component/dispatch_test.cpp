#include <gtest/gtest.h>

#include <set>
#include <string>

#include "component/corvane.hpp"
#include "component/corvane_old.hpp"
#include "component/dispatch_test_support.hpp"
#include "component/method_table.hpp"
#include "export/module1.hpp"
#include "export/save_dialog_posix.hpp"
#include "platform/utf.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

using automation::bstrView;

std::u16string upper(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& ch : out) {
    if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - u'a' + u'A');
  }
  return out;
}

std::u16string lower(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& ch : out) {
    if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch - u'A' + u'a');
  }
  return out;
}

// Two small trees; each method's result through Invoke must equal the C++ call's.
class Dispatch : public ::testing::Test {
 protected:
  Dispatch() {
    dir.write("old/a.cpp", "int a;\n// note\n\nint b;\n");
    dir.write("old/gone.cpp", "x\n");
    dir.write("new/a.cpp", "int a;\n// note\n\nint c;\n");
    dir.write("new/added.cpp", "y\n\n");
    oldRoot = dir.u16("old");
    newRoot = dir.u16("new");
  }

  static std::u16string comparisonList(std::u16string list) {
    for (size_t at = list.find(u'\r'); at != std::u16string::npos; at = list.find(u'\r', at + 2)) {
      list.replace(at, 1, u"||");
    }
    return list;
  }

  TempDir dir;
  std::u16string oldRoot;
  std::u16string newRoot;
  std::set<std::u16string> called;  // the methods a test reached

  void expectAllCalled(std::span<const MethodInfo> table) {
    for (const MethodInfo& m : table) EXPECT_TRUE(called.contains(std::u16string(m.name)));
  }

  template <typename C>
  void callSharedMethods(const Object& obj, C& cpp) {
    Outcome list;
    obj.call(list, u"getFileList", Args().str(oldRoot));
    ASSERT_EQ(list.hr, S_OK);
    EXPECT_EQ(list.result.vt, VT_BSTR);
    EXPECT_EQ(list.text(), C().getFileList(oldRoot));
    called.insert(u"getFileList");

    const std::u16string oldList = comparisonList(C().getFileList(oldRoot));
    const std::u16string newList = comparisonList(C().getFileList(newRoot));
    Outcome compare;
    obj.call(compare, u"compareFileList",
             Args()
                 .str(oldRoot)
                 .str(newRoot)
                 .str(oldList)
                 .str(newList)
                 .str(u"//")
                 .i2(3)
                 .i2(0)
                 .i4(7)
                 .str(u"/*")
                 .str(u"*/")
                 .str(u"2"));
    ASSERT_EQ(compare.hr, S_OK);
    EXPECT_EQ(compare.text(), cpp.compareFileList(oldRoot, newRoot, oldList, newList, u"//", 3, 0,
                                                  7, u"/*", u"*/", u"2"));
    EXPECT_NE(compare.text().find(u"dir_compare_results"), std::u16string::npos);
    called.insert(u"compareFileList");

    Outcome match;
    obj.call(match, u"matchFiles",
             Args().str(oldRoot).str(newRoot).str(dir.u16("old/a.cpp")).str(newList));
    ASSERT_EQ(match.hr, S_OK);
    EXPECT_EQ(match.result.vt, VT_I2);
    EXPECT_EQ(match.result.iVal, cpp.matchFiles(oldRoot, newRoot, dir.u16("old/a.cpp"), newList));
    called.insert(u"matchFiles");

    Outcome matched;
    obj.call(matched, u"compareMatchedFiles",
             Args().str(oldRoot).str(dir.u16("old/a.cpp")).str(dir.u16("new/a.cpp")));
    ASSERT_EQ(matched.hr, S_OK);
    EXPECT_EQ(matched.text(),
              cpp.compareMatchedFiles(oldRoot, dir.u16("old/a.cpp"), dir.u16("new/a.cpp")));
    called.insert(u"compareMatchedFiles");

    Outcome changed;
    obj.call(changed, u"determineChangedLine", Args().str(u"abc").str(u"abd").i2(2));
    ASSERT_EQ(changed.hr, S_OK);
    EXPECT_EQ(changed.result.vt, VT_I2);
    EXPECT_EQ(changed.result.iVal, cpp.determineChangedLine(u"abc", u"abd", 2));
    called.insert(u"determineChangedLine");

    for (const auto& [name, path] : {std::pair{u"checkFileExists", dir.u16("old/a.cpp")},
                                     std::pair{u"checkDirExists", oldRoot}}) {
      Outcome exists;
      obj.call(exists, name, Args().str(path));
      ASSERT_EQ(exists.hr, S_OK);
      EXPECT_EQ(exists.result.iVal, std::u16string_view(name) == u"checkFileExists"
                                        ? cpp.checkFileExists(path)
                                        : cpp.checkDirExists(path));
      called.insert(name);
    }

    Outcome scan;
    obj.call(scan, u"scanDir", Args().str(oldRoot).str(u"1"));
    ASSERT_EQ(scan.hr, S_OK);
    EXPECT_EQ(scan.result.vt, VT_EMPTY);
    called.insert(u"scanDir");

    // The directory statement escapes d and e in the caller's variants.
    VARIANT oldPath;
    VariantInit(&oldPath);
    oldPath.vt = VT_BSTR;
    oldPath.bstrVal = automation::makeBstr(u"/o'ld/");
    OwnedBstr newPath(u"/n'ew/");
    Outcome dirStatement;
    obj.call(dirStatement, u"insertDirCompareResults",
             Args().i4(1).str(u"2").r8(3).ref(VT_VARIANT, &oldPath).ref(VT_BSTR, &newPath.value));
    EXPECT_EQ(dirStatement.hr, S_OK);
    EXPECT_EQ(bstrView(oldPath.bstrVal), u"/o''ld/");
    EXPECT_EQ(newPath.view(), u"/n''ew/");
    VariantClear(&oldPath);
    called.insert(u"insertDirCompareResults");
  }

  // SaveAFile and exportFile through a dialog that records what it was asked.
  void callDialogMethods(const Object& obj) {
    std::string title, filter;
    const std::string chosen = dir.path().string() + "/export.txt";
    Module1::ScopedSaveDialog dialog([&](Module1::OPENFILENAME& ofn) {
      title = ofn.lpstrTitle != nullptr ? ofn.lpstrTitle : "";
      filter.assign(ofn.lpstrFilter != nullptr ? ofn.lpstrFilter : "", 0, 20);
      return acceptChosenPath(ofn, chosen);
    });

    OwnedBstr initDir(u"/tmp");
    Outcome one;  // the optional arguments left out
    obj.call(one, u"SaveAFile", Args().ref(VT_BSTR, &initDir.value));
    ASSERT_EQ(one.hr, S_OK);
    EXPECT_EQ(one.text(), utf8ToUtf16(chosen));
    EXPECT_EQ(title, "Open File");
    EXPECT_EQ(initDir.view(), u"/tmp");  // written back unchanged

    LONG hwnd = 0;
    OwnedBstr myTitle(u"Pick");
    Outcome missing;  // the filters marked missing, the rest by reference
    obj.call(missing, u"SaveAFile",
             Args()
                 .ref(VT_BSTR, &initDir.value)
                 .missing()
                 .ref(VT_BSTR, &myTitle.value)
                 .ref(VT_I4, &hwnd));
    ASSERT_EQ(missing.hr, S_OK);
    EXPECT_EQ(title, "Pick");
    EXPECT_EQ(myTitle.view(), u"Pick");
    EXPECT_EQ(hwnd, 0);

    Outcome filtered;
    obj.call(filtered, u"SaveAFile", Args().str(u"/tmp").str(u"Text|*.txt"));
    ASSERT_EQ(filtered.hr, S_OK);
    EXPECT_EQ(filter, "Text");
    EXPECT_EQ(title, "Open File");
    called.insert(u"SaveAFile");

    Outcome exported;
    obj.call(exported, u"exportFile", Args().str(u"top").str(u"a|||b").str(u"files").str(u"c"));
    ASSERT_EQ(exported.hr, S_OK);
    EXPECT_EQ(exported.result.vt, VT_I2);
    EXPECT_EQ(exported.result.iVal, 1);
    EXPECT_TRUE(std::filesystem::exists(chosen));
    called.insert(u"exportFile");
  }
};

TEST_F(Dispatch, EveryNameMapsToItsFixedIdentifierInAnyCase) {
  for (const auto& [clsid, table] : {std::pair{&CLSID_Corvane, corvaneMethods()},
                                     std::pair{&CLSID_Corvane_old, corvaneOldMethods()}}) {
    Object obj(*clsid);
    for (const MethodInfo& m : table) {
      EXPECT_EQ(obj.id(m.name), m.dispatchId);
      EXPECT_EQ(obj.id(upper(m.name)), m.dispatchId);
      EXPECT_EQ(obj.id(lower(m.name)), m.dispatchId);
    }
    std::u16string unknown = u"noSuchMethod";
    LPOLESTR names[] = {unknown.data()};
    DISPID id = 0;
    IDispatch* d = obj.get();
    EXPECT_EQ(d->lpVtbl->GetIDsOfNames(d, IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(d->lpVtbl->GetIDsOfNames(d, IID_IDispatch, names, 1, 0, &id),
              DISP_E_UNKNOWNINTERFACE);
  }
  Object legacy(CLSID_Corvane_old);
  EXPECT_EQ(legacy.id(u"determineChangedLine_old"), DISPID_UNKNOWN);

  // Further names are parameters, by position, for named arguments.
  Object obj(CLSID_Corvane);
  std::u16string method = u"COMPAREFILELIST", session = u"sessionid", bad = u"nope";
  LPOLESTR names[] = {method.data(), session.data(), bad.data()};
  DISPID ids[3] = {};
  IDispatch* d = obj.get();
  EXPECT_EQ(d->lpVtbl->GetIDsOfNames(d, IID_NULL, names, 3, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 0x60030002);
  EXPECT_EQ(ids[1], 7);
  EXPECT_EQ(ids[2], DISPID_UNKNOWN);
}

TEST_F(Dispatch, EveryMethodOfCorvaneGivesTheCppResult) {
  Object obj(CLSID_Corvane);
  Corvane cpp;
  callSharedMethods(obj, cpp);
  callDialogMethods(obj);

  Outcome old;
  obj.call(old, u"determineChangedLine_old", Args().str(u"abc").str(u"abd").i2(2));
  EXPECT_EQ(old.hr, S_OK);
  EXPECT_EQ(old.result.iVal, cpp.determineChangedLine_old(u"abc", u"abd", 2));
  called.insert(u"determineChangedLine_old");

  // The current class counts without touching the caller's array.
  VARIANT lines;
  VariantInit(&lines);
  lines.vt = VT_ARRAY | VT_BSTR;
  lines.parray = bstrArray(0, {u"a", u"\t", u" b "});
  Outcome blank;
  obj.call(blank, u"calBlankLines", Args().borrow(lines));
  EXPECT_EQ(blank.hr, S_OK);
  EXPECT_EQ(blank.result.vt, VT_I4);
  EXPECT_EQ(blank.result.lVal, 1);
  EXPECT_EQ(bstrElement(lines.parray, 2), u" b ");
  VariantClear(&lines);
  // Elements a script never assigned (Dim a(2)) hold no text: blank lines.
  VARIANT unset;
  VariantInit(&unset);
  unset.vt = VT_ARRAY | VT_VARIANT;
  unset.parray = SafeArrayCreateVector(VT_VARIANT, 0, 3);
  obj.call(blank, u"calBlankLines", Args().borrow(unset));
  EXPECT_EQ(blank.hr, S_OK);
  EXPECT_EQ(blank.result.lVal, 3);
  VariantClear(&unset);
  called.insert(u"calBlankLines");

  SHORT fileType = 1;
  Outcome count;
  obj.call(count, u"physicalCountOnly",
           Args().str(newRoot).str(dir.u16("new/added.cpp")).ref(VT_I2, &fileType));
  EXPECT_EQ(count.hr, S_OK);
  EXPECT_EQ(count.result.vt, VT_BSTR);
  int16_t cppType = 1;
  EXPECT_EQ(count.text(), cpp.physicalCountOnly(newRoot, dir.u16("new/added.cpp"), cppType));
  EXPECT_EQ(fileType, cppType);
  called.insert(u"physicalCountOnly");

  // The per-file statement escapes the name i in the caller's variant.
  OwnedBstr name(u"it's.cpp");
  Args values;
  for (int k = 0; k < 19; ++k) {
    if (k == 8) {
      values.ref(VT_BSTR, &name.value);
    } else {
      values.i2(static_cast<int16_t>(k));
    }
  }
  Outcome file;
  obj.call(file, u"insertFileCompareResults", values);
  EXPECT_EQ(file.hr, S_OK);
  EXPECT_EQ(file.result.vt, VT_EMPTY);
  EXPECT_EQ(name.view(), u"it''s.cpp");
  called.insert(u"insertFileCompareResults");
  expectAllCalled(corvaneMethods());
}

TEST_F(Dispatch, EveryMethodOfCorvaneOldGivesTheCppResult) {
  Object obj(CLSID_Corvane_old);
  Corvane_old cpp;
  callSharedMethods(obj, cpp);
  callDialogMethods(obj);

  // The legacy class normalises the caller's array, strings or variants, direct or by reference.
  const std::vector<std::u16string> raw = {u" a\t", u"\t", u"b  c ", u""};
  StringArray expected = StringArray::fromVector(raw);
  const int32_t expectedCount = Corvane_old().calBlankLines(expected);
  SAFEARRAY* direct = bstrArray(0, raw);
  SAFEARRAY* byRef = bstrArray(0, raw);
  SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(raw.size()));
  for (LONG k = 0; k < static_cast<LONG>(raw.size()); ++k) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = automation::makeBstr(raw[k]);
    EXPECT_EQ(SafeArrayPutElement(variants, &k, &v), S_OK);
    VariantClear(&v);
  }
  VARIANT wrapper;  // VT_BYREF|VT_VARIANT around an array of variants
  VariantInit(&wrapper);
  wrapper.vt = VT_ARRAY | VT_VARIANT;
  wrapper.parray = variants;
  Outcome a, b, c;
  obj.call(a, u"calBlankLines", Args().array(direct, VT_BSTR));
  obj.call(b, u"calBlankLines", Args().ref(VT_ARRAY | VT_BSTR, &byRef));
  obj.call(c, u"calBlankLines", Args().ref(VT_VARIANT, &wrapper));
  for (Outcome* outcome : {&a, &b, &c}) {
    EXPECT_EQ(outcome->hr, S_OK);
    EXPECT_EQ(outcome->result.lVal, expectedCount);
  }
  for (LONG k = 0; k < static_cast<LONG>(raw.size()); ++k) {
    EXPECT_EQ(bstrElement(byRef, k), expected.at(k));
    VARIANT element;
    VariantInit(&element);
    EXPECT_EQ(SafeArrayGetElement(variants, &k, &element), S_OK);
    EXPECT_EQ(bstrView(element.bstrVal), expected.at(k));
    VariantClear(&element);
  }
  EXPECT_EQ(bstrElement(byRef, 0), u"a");
  SafeArrayDestroy(byRef);
  VariantClear(&wrapper);
  called.insert(u"calBlankLines");

  Outcome count;
  obj.call(count, u"physicalCountOnly", Args().str(oldRoot).str(dir.u16("old/a.cpp")));
  EXPECT_EQ(count.hr, S_OK);
  EXPECT_EQ(count.text(), cpp.physicalCountOnly(oldRoot, dir.u16("old/a.cpp")));
  called.insert(u"physicalCountOnly");

  VARIANT name;
  VariantInit(&name);
  name.vt = VT_BSTR;
  name.bstrVal = automation::makeBstr(u"o'k");
  Args values;
  for (int k = 0; k < 11; ++k) {
    if (k == 8) {
      values.ref(VT_VARIANT, &name);
    } else {
      values.i4(k);
    }
  }
  Outcome file;
  obj.call(file, u"insertFileCompareResults", values);
  EXPECT_EQ(file.hr, S_OK);
  EXPECT_EQ(bstrView(name.bstrVal), u"o''k");
  VariantClear(&name);
  called.insert(u"insertFileCompareResults");
  expectAllCalled(corvaneOldMethods());
}

TEST_F(Dispatch, ArgumentsAreCoercedAsAnAutomationCallerExpects) {
  Object obj(CLSID_Corvane);
  const DISPID id = obj.id(u"determineChangedLine");
  auto threshold = [&](Args& args) {
    Outcome out;
    obj.invoke(out, id, args);
    EXPECT_EQ(out.hr, S_OK);
    return out.result.iVal;
  };
  const int16_t expected = Corvane().determineChangedLine(u"abc", u"abd", 2);
  SHORT shortValue = 2;
  LONG longValue = 2;
  VARIANT inner;  // VT_BYREF|VT_VARIANT around VT_BYREF|VT_I4
  inner.vt = VT_BYREF | VT_I4;
  inner.plVal = &longValue;
  VARIANT outer;
  outer.vt = VT_BYREF | VT_VARIANT;
  outer.pvarVal = &inner;
  VARIANT small;
  small.vt = VT_UI1;
  small.bVal = 2;
  VARIANT wide;
  wide.vt = VT_I8;
  wide.llVal = 2;
  EXPECT_EQ(threshold(Args().str(u"abc").str(u"abd").i4(2)), expected);
  EXPECT_EQ(threshold(Args().str(u"abc").str(u"abd").str(u" 2 ")), expected);
  EXPECT_EQ(threshold(Args().str(u"abc").str(u"abd").r8(2.0)), expected);
  EXPECT_EQ(threshold(Args().str(u"abc").str(u"abd").ref(VT_I2, &shortValue)), expected);
  EXPECT_EQ(threshold(Args().str(u"abc").str(u"abd").borrow(outer)), expected);
  EXPECT_EQ(threshold(Args().str(u"abc").str(u"abd").borrow(small)), expected);
  EXPECT_EQ(threshold(Args().str(u"abc").str(u"abd").borrow(wide)), expected);

  OwnedBstr text(u"abc");
  EXPECT_EQ(threshold(Args().ref(VT_BSTR, &text.value).str(u"abd").i2(2)), expected);

  // Numbers become text where a string is expected.
  Outcome number;
  obj.call(number, u"checkFileExists", Args().i4(12345));
  EXPECT_EQ(number.hr, S_OK);
  EXPECT_EQ(number.result.iVal, 0);

  // Method and property-get together are a method call.
  Outcome both;
  obj.invoke(both, id, Args().str(u"abc").str(u"abd").i2(2),
             DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  EXPECT_EQ(both.hr, S_OK);
  EXPECT_EQ(both.result.iVal, expected);
}

TEST_F(Dispatch, NamedArgumentsFindTheirParameters) {
  Object obj(CLSID_Corvane);
  VARIANT args[3];
  for (VARIANT& v : args) VariantInit(&v);
  args[0].vt = VT_I2;  // diffThershold, named
  args[0].iVal = 2;
  args[1].vt = VT_BSTR;  // positional, last first
  args[1].bstrVal = automation::makeBstr(u"abd");
  args[2].vt = VT_BSTR;
  args[2].bstrVal = automation::makeBstr(u"abc");
  DISPID named[] = {2};
  DISPPARAMS params{args, named, 3, 1};
  VARIANT result;
  VariantInit(&result);
  IDispatch* d = obj.get();
  EXPECT_EQ(d->lpVtbl->Invoke(d, obj.id(u"determineChangedLine"), IID_NULL, 0, DISPATCH_METHOD,
                              &params, &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.iVal, Corvane().determineChangedLine(u"abc", u"abd", 2));
  named[0] = 7;  // no such parameter
  UINT argErr = 99;
  EXPECT_EQ(d->lpVtbl->Invoke(d, obj.id(u"determineChangedLine"), IID_NULL, 0, DISPATCH_METHOD,
                              &params, &result, nullptr, &argErr),
            DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(argErr, 0u);
  for (VARIANT& v : args) VariantClear(&v);
}

TEST_F(Dispatch, CallErrorsReturnTheirResultCodes) {
  Object obj(CLSID_Corvane);
  const DISPID changed = obj.id(u"determineChangedLine");
  Outcome unknown, put, get, fewer, more, mismatch, overflow, null, object, notOptional;
  obj.invoke(unknown, 0x12345, Args());
  EXPECT_EQ(unknown.hr, DISP_E_MEMBERNOTFOUND);
  obj.invoke(put, changed, Args().str(u"a").str(u"b").i2(1), DISPATCH_PROPERTYPUT);
  EXPECT_EQ(put.hr, DISP_E_MEMBERNOTFOUND);
  obj.invoke(get, changed, Args().str(u"a").str(u"b").i2(1), DISPATCH_PROPERTYGET);
  EXPECT_EQ(get.hr, DISP_E_MEMBERNOTFOUND);
  obj.invoke(fewer, changed, Args().str(u"a").str(u"b"));
  EXPECT_EQ(fewer.hr, DISP_E_BADPARAMCOUNT);
  obj.invoke(more, changed, Args().str(u"a").str(u"b").i2(1).i2(1));
  EXPECT_EQ(more.hr, DISP_E_BADPARAMCOUNT);

  // puArgErr counts as DISPPARAMS does: interface position p of n is n - 1 - p.
  obj.call(mismatch, u"compareFileList",
           Args()
               .str(oldRoot)
               .str(newRoot)
               .str(u"")
               .str(u"")
               .str(u"//")
               .i2(3)
               .str(u"x")
               .i4(1)
               .str(u"")
               .str(u"")
               .str(u"2"));
  EXPECT_EQ(mismatch.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(mismatch.argErr, 4u);
  obj.invoke(overflow, changed, Args().str(u"a").str(u"b").i4(70000));
  EXPECT_EQ(overflow.hr, DISP_E_OVERFLOW);
  EXPECT_EQ(overflow.argErr, 0u);
  VARIANT nullValue;
  nullValue.vt = VT_NULL;
  obj.invoke(null, changed, Args().borrow(nullValue).str(u"b").i2(1));
  EXPECT_EQ(null.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(null.argErr, 2u);
  VARIANT currency;
  currency.vt = VT_CY;
  currency.cyVal.int64 = 1;
  obj.invoke(object, changed, Args().str(u"a").borrow(currency).i2(1));
  EXPECT_EQ(object.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(object.argErr, 1u);
  obj.call(notOptional, u"getFileList", Args().missing());
  EXPECT_EQ(notOptional.hr, DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(notOptional.argErr, 0u);
}

TEST_F(Dispatch, FailuresInsideAMethodCarryTheirNumberAndDescription) {
  Object obj(CLSID_Corvane);
  auto expectException = [](const Outcome& out, int32_t number) {
    EXPECT_EQ(out.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(out.exception.wCode, 0);
    EXPECT_EQ(static_cast<uint32_t>(out.exception.scode), 0x800A0000u + number);
    EXPECT_EQ(out.errorNumber(), number);
    EXPECT_EQ(bstrView(out.exception.bstrSource), u"CVN_Core.Corvane");
    EXPECT_FALSE(bstrView(out.exception.bstrDescription).empty());
  };

  Outcome notFound;  // 53, with the description the C++ call gives
  const std::u16string missing = dir.u16("old/missing.cpp");
  obj.call(notFound, u"compareMatchedFiles", Args().str(oldRoot).str(missing).str(missing));
  expectException(notFound, 53);
  std::string description;
  EXPECT_EQ(errorNumberOf([&] { Corvane().compareMatchedFiles(oldRoot, missing, missing); },
                          &description),
            53);
  EXPECT_EQ(bstrView(notFound.exception.bstrDescription), utf8ToUtf16(description));

  Outcome subscript;  // an array from 1 reaches index 0
  obj.call(subscript, u"calBlankLines", Args().array(bstrArray(1, {u"a"}), VT_BSTR));
  expectException(subscript, 9);

  Outcome mismatch;  // a numeric position holding text
  obj.call(mismatch, u"insertDirCompareResults",
           Args().str(u"many").i2(1).i2(1).str(u"/o/").str(u"/n/"));
  expectException(mismatch, 13);

  Outcome overflow;  // a root longer than 16 bits count
  const std::u16string longRoot(40000, u'a');
  obj.call(overflow, u"compareFileList",
           Args()
               .str(longRoot)
               .str(newRoot)
               .str(u"")
               .str(u"")
               .str(u"")
               .i2(0)
               .i2(0)
               .i4(0)
               .str(u"")
               .str(u"")
               .str(u"1"));
  expectException(overflow, 6);

  // "|||" in the name: error 5, and the caller's name is left as it was.
  OwnedBstr name(u"a|||b'");
  Args values;
  for (int k = 0; k < 19; ++k) {
    if (k == 8) {
      values.ref(VT_BSTR, &name.value);
    } else {
      values.i2(0);
    }
  }
  Outcome invalid;
  obj.call(invalid, u"insertFileCompareResults", values);
  expectException(invalid, 5);
  EXPECT_EQ(name.view(), u"a|||b'");

  // Without an EXCEPINFO the code alone comes back.
  Args args;
  args.str(oldRoot).str(missing).str(missing);
  std::vector<VARIANT> reversed = args.reversed();
  DISPPARAMS params{reversed.data(), nullptr, 3, 0};
  IDispatch* d = obj.get();
  EXPECT_EQ(d->lpVtbl->Invoke(d, obj.id(u"compareMatchedFiles"), IID_NULL, 0, DISPATCH_METHOD,
                              &params, nullptr, nullptr, nullptr),
            DISP_E_EXCEPTION);
}

TEST_F(Dispatch, TheLegacyClassNamesItselfAsTheSource) {
  Object obj(CLSID_Corvane_old);
  Outcome subscript;
  obj.call(subscript, u"calBlankLines", Args().array(bstrArray(1, {u"a"}), VT_BSTR));
  EXPECT_EQ(subscript.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(subscript.errorNumber(), 9);
  EXPECT_EQ(bstrView(subscript.exception.bstrSource), u"CVN_Core.Corvane_old");
}

}  // namespace
}  // namespace cvn::test
