// Both classes as hosts reach them. Every method through IDispatch::Invoke gives what the C++
// call gives and leaves in/out arguments as the C++ call leaves them; bad calls come back as
// automation callers read them; the dual vtables reach the same methods; the golden cases and
// the largest inputs (a 10 MB line, 2 million lines) go through each class.
#include <gtest/gtest.h>

#include <algorithm>

#include "component/automation_strings.hpp"
#include "component/dispatch_object.hpp"
#include "component/dispatch_values.hpp"
#include "component/dual_interface.hpp"
#include "component/interface.hpp"
#include "export/module1.hpp"
#include "export/save_dialog_posix.hpp"
#include "support/golden.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

using automation::bstrView;
using automation::toVariant;
using Values = std::vector<Variant>;

IDispatch* create(bool legacy) {
  return legacy ? automation::newCorvaneOldObject() : automation::newCorvaneObject();
}

VARIANT var(const Variant& value) {
  VARIANT v;
  automation::storeVariant(value, v);
  return v;
}

VARIANT special(VARTYPE type, void* byref = nullptr) {
  VARIANT v;
  VariantInit(&v);
  v.vt = type;
  v.byref = byref;
  return v;
}

struct Outcome {
  HRESULT hr;
  Variant result;
  UINT argErr = 99;
  EXCEPINFO ex{};
};

// Arguments in interface order (those passed by value are given up); the last `named` ones go
// by these ids.
Outcome invoke(IDispatch* d, std::u16string name, std::vector<VARIANT> args,
               WORD flags = DISPATCH_METHOD, std::vector<DISPID> named = {}) {
  LPOLESTR names[] = {name.data()};
  DISPID id = 0;
  d->lpVtbl->GetIDsOfNames(d, IID_NULL, names, 1, 0, &id);
  std::reverse(args.begin(), args.end());
  DISPPARAMS params{args.data(), named.data(), static_cast<UINT>(args.size()),
                    static_cast<UINT>(named.size())};
  VARIANT result = special(VT_EMPTY);
  Outcome out;
  out.hr = d->lpVtbl->Invoke(d, id, IID_NULL, 0, flags, &params, &result, &out.ex, &out.argErr);
  if (out.hr == S_OK) out.result = toVariant(result);
  for (VARIANT& v : args) VariantClear(&v);
  VariantClear(&result);
  return out;
}

// The C++ member of the method of this name, given the values as its parameters' types; the
// values then hold what the call left in them.
template <typename T>
T as(const Variant& v) {
  if constexpr (std::is_same_v<T, Variant>) return v;
  if constexpr (std::is_same_v<T, std::u16string>) return v.stringValue();
  if constexpr (std::is_same_v<T, int16_t>) return v.int16Value();
  if constexpr (std::is_same_v<T, int32_t>) return v.int32Value();
  return T();  // arrays have a test of their own
}

template <typename C, typename R, typename K, typename... A>
Variant callMember(C& object, R (K::*member)(A...), Values& v) {
  return [&]<size_t... I>(std::index_sequence<I...>) {
    std::tuple<std::remove_cvref_t<A>...> args{as<std::remove_cvref_t<A>>(v.at(I))...};
    Variant result;
    if constexpr (std::is_void_v<R>) (object.*member)(std::get<I>(args)...);
    if constexpr (!std::is_void_v<R>) result = (object.*member)(std::get<I>(args)...);
    (
        [&](const auto& arg) {
          if constexpr (std::is_constructible_v<Variant, decltype(arg)>) v[I] = arg;
        }(std::get<I>(args)),
        ...);
    return result;
  }
  (std::index_sequence_for<A...>());
}

template <typename C>
Variant callCpp(C& object, std::u16string_view name, Values& v) {
  Variant result;
  std::apply(
      [&](const auto&... m) {
        ((m.name == name ? void(result = callMember(object, m.member, v)) : void()), ...);
      },
      Interface<C>::methods);
  return result;
}

// The calls both classes share and the class's own, through Invoke on one object and in C++ on
// another; the arguments by value, by VT_BYREF|VT_VARIANT (as scripts pass their variables) and
// by typed reference.
template <typename C>
void expectSameAsCpp(const TempDir& dir, std::vector<std::pair<std::u16string, Values>> rows) {
  const std::u16string o = dir.u16("old"), a = dir.u16("old/a.c"), n = dir.u16("new");
  const std::u16string ol = a + u"||" + dir.u16("old/gone.c"), nl = dir.u16("new/a.c");
  rows.insert(rows.begin(), {{u"getFileList", {o}},
                             {u"compareFileList",
                              {o, n, ol, nl, u"//", int16_t{3}, int16_t{0}, 7, u"/*", u"*/", u"2"}},
                             {u"compareMatchedFiles", {o, a, nl}},
                             {u"matchFiles", {o, n, a, nl}},
                             {u"determineChangedLine", {u"abc", u"abd", int16_t{2}}},
                             {u"checkFileExists", {a}},
                             {u"checkDirExists", {o}},
                             {u"insertDirCompareResults", {1, u"2", 3.0, u"/o'ld/", u"/n'ew/"}},
                             {u"scanDir", {o, u"1"}},
                             {u"SaveAFile", {o, u"Text|*.txt", u"Pick", 0}},
                             {u"exportFile", {u"top", u"a|||b", u"files", u"c"}}});
  for (const int mode : {0, 1, 2}) {
    IDispatch* d = create(std::is_same_v<C, Corvane_old>);
    C cpp;
    for (const auto& [name, values] : rows) {
      Values after = values;
      const Variant expected = callCpp(cpp, name, after);
      std::vector<VARIANT> held, args;
      for (const Variant& value : values) held.push_back(var(value));
      for (VARIANT& v : held) {
        args.push_back(mode == 0   ? var(toVariant(v))
                       : mode == 1 ? special(VT_BYREF | VT_VARIANT, &v)
                                   : special(VT_BYREF | v.vt, &v.bstrVal));
      }
      const Outcome out = invoke(d, name, args);
      EXPECT_EQ(out.hr, S_OK) << u8(name);
      EXPECT_EQ(out.result, expected) << u8(name) << " mode " << mode;
      for (size_t k = 0; k < held.size(); ++k) {
        EXPECT_EQ(toVariant(held[k]), mode == 0 ? values[k] : after[k]) << u8(name) << " " << k;
        VariantClear(&held[k]);
      }
    }
    d->lpVtbl->Release(d);
  }
}

TEST(Dispatch, EveryMethodGivesTheCppResult) {
  TempDir dir;
  dir.write("old/a.c", "int a;\n// note\n\nint b;\n");
  dir.write("old/gone.c", "x\n");
  dir.write("new/a.c", "int a;\n// note\n\nint c;\n");
  // The dialog answers with a path named after its title.
  Module1::ScopedSaveDialog dialog([&](Module1::OPENFILENAME& ofn) {
    return acceptChosenPath(ofn, dir.path().string() + "/" + ofn.lpstrTitle);
  });
  Values file(19, Variant(int16_t{1}));
  file[8] = u"it's.c";
  expectSameAsCpp<Corvane>(
      dir, {{u"determineChangedLine_old", {u"abc", u"abd", int16_t{2}}},
            {u"physicalCountOnly", {dir.u16("new"), dir.u16("new/a.c"), int16_t{1}}},
            {u"insertFileCompareResults", file}});
  file.resize(11);
  expectSameAsCpp<Corvane_old>(dir, {{u"physicalCountOnly", {dir.u16("old"), dir.u16("old/a.c")}},
                                     {u"insertFileCompareResults", file}});
}

// A script's Dim a(2): variants, one holding its text by reference and one never assigned (an
// empty line), written back as the C++ call leaves its array.
TEST(Dispatch, CalBlankLinesReadsAndWritesBackTheCallersArray) {
  for (const bool legacy : {false, true}) {
    StringArray expected = StringArray::fromVector({u" a\t", u"\t", u""});
    const int32_t count =
        legacy ? Corvane_old().calBlankLines(expected) : Corvane().calBlankLines(expected);
    BSTR held = automation::makeBstr(u"\t");
    SAFEARRAY* lines = SafeArrayCreateVector(VT_VARIANT, 0, 3);
    auto* items = static_cast<VARIANT*>(lines->pvData);
    items[0] = var(u" a\t");
    items[1] = special(VT_BYREF | VT_BSTR, &held);
    VARIANT dimmed = special(VT_BYREF | VT_ARRAY | VT_VARIANT, &lines);
    IDispatch* d = create(legacy);
    EXPECT_EQ(invoke(d, u"calBlankLines", {special(VT_BYREF | VT_VARIANT, &dimmed)}).result,
              Variant(count));
    EXPECT_EQ(bstrView(items[0].bstrVal), expected.at(0));
    EXPECT_EQ(bstrView(held), expected.at(1));
    SysFreeString(held);
    SafeArrayDestroy(lines);
    d->lpVtbl->Release(d);
  }
}

// Argument errors name the argument as DISPPARAMS counts (the last one is 0); a failure inside a
// method is 0x800A0000 + its number, with the class as the source.
TEST(Dispatch, FailuresComeBackAsAutomationCallersReadThem) {
  VARIANT a = var(u"abc"), b = var(u"abd"), one = var(int16_t{1}), big = var(70000);
  VARIANT null = special(VT_NULL), currency = special(VT_CY), missing = special(VT_ERROR);
  missing.scode = DISP_E_PARAMNOTFOUND;
  const struct {
    std::u16string name;
    std::vector<VARIANT> args;
    HRESULT hr;
    UINT argErr = 99;
    WORD flags = DISPATCH_METHOD;
  } cases[] = {
      {u"determineChangedLine", {a, b}, DISP_E_BADPARAMCOUNT},
      {u"determineChangedLine", {a, b, one, one}, DISP_E_BADPARAMCOUNT},
      {u"determineChangedLine", {a, b, big}, DISP_E_OVERFLOW, 0},
      {u"determineChangedLine", {null, b, one}, DISP_E_TYPEMISMATCH, 2},
      {u"determineChangedLine", {a, currency, one}, DISP_E_TYPEMISMATCH, 1},
      {u"determineChangedLine", {a, b, one}, DISP_E_MEMBERNOTFOUND, 99, DISPATCH_PROPERTYPUT},
      {u"determineChangedLine", {a, b, one}, S_OK, 99, DISPATCH_METHOD | DISPATCH_PROPERTYGET},
      {u"noSuchMethod", {}, DISP_E_MEMBERNOTFOUND},
      {u"getFileList", {missing}, DISP_E_PARAMNOTOPTIONAL, 0},
      {u"compareFileList", {a, a, a, a, a, one, b, one, a, a, a}, DISP_E_TYPEMISMATCH, 4},
  };
  IDispatch* d = create(false);
  for (const auto& c : cases) {
    std::vector<VARIANT> refs;
    for (const VARIANT& v : c.args) refs.push_back(special(VT_BYREF | VT_VARIANT, (void*)&v));
    const Outcome out = invoke(d, c.name, refs, c.flags);
    EXPECT_EQ(out.hr, c.hr) << u8(c.name);
    EXPECT_EQ(out.argErr, c.argErr) << u8(c.name);
  }
  // Further names are parameters, for named arguments: here string2 and diffThershold.
  std::u16string texts[] = {u"COMPAREFILELIST", u"strrootdirectoryone", u"sessionID", u"no"};
  LPOLESTR names[] = {texts[0].data(), texts[1].data(), texts[2].data(), texts[3].data()};
  DISPID ids[4] = {};
  EXPECT_EQ(d->lpVtbl->GetIDsOfNames(d, IID_NULL, names, 4, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(std::vector<DISPID>(ids + 1, ids + 4), (std::vector<DISPID>{0, 7, DISPID_UNKNOWN}));
  EXPECT_EQ(invoke(d, u"determineChangedLine", {a, one, b}, DISPATCH_METHOD, {1, 2}).result,
            Variant(Corvane().determineChangedLine(u"abc", u"abd", 1)));

  const Outcome out = invoke(d, u"compareMatchedFiles", {var(u"/"), var(u"/no.c"), var(u"/no.c")});
  EXPECT_EQ(out.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(static_cast<uint32_t>(out.ex.scode), 0x800A0000u + 53);
  EXPECT_EQ(bstrView(out.ex.bstrSource), u"CVN_Core.Corvane");
  EXPECT_NE(bstrView(out.ex.bstrDescription).find(u"/no.c"), std::u16string::npos);
  for (BSTR text : {out.ex.bstrSource, out.ex.bstrDescription}) SysFreeString(text);
  d->lpVtbl->Release(d);
}

// The vtable side of the dual interfaces: entry k after IDispatch's calls the k-th method with its
// arguments in order, writes in/out ones back through their pointers (a null one is left out),
// returns the result through the last one and a failure as 0x800A0000 + its number.
template <typename Fn>
Fn entry(IDispatch* object, size_t index) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<automation::DualMethod const*>(object->lpVtbl + 1)[index]);
}

TEST(Dispatch, DualVtableEntriesCallTheirMethods) {
  std::vector<BSTR> t;
  for (auto text : {u"int x = 1;", u"int x = 2;", u" a\t", u"/", u"/no.c"}) {
    t.push_back(automation::makeBstr(text));
  }
  IDispatch* object = create(false);
  void* dual = nullptr;
  EXPECT_EQ(object->lpVtbl->QueryInterface(object, IID__Corvane, &dual), S_OK);
  EXPECT_EQ(dual, object);
  using Lines = HRESULT (*)(IDispatch*, BSTR, BSTR, SHORT, SHORT*);
  SHORT changed = 0, old = 0;
  EXPECT_EQ(entry<Lines>(object, 7)(object, t[0], t[1], 3, &changed), S_OK);
  EXPECT_EQ(entry<Lines>(object, 8)(object, t[0], t[1], 3, &old), S_OK);
  EXPECT_EQ(changed, Corvane().determineChangedLine(u"int x = 1;", u"int x = 2;", 3));
  EXPECT_EQ(old, Corvane().determineChangedLine_old(u"int x = 1;", u"int x = 2;", 3));
  using Report = HRESULT (*)(IDispatch*, BSTR, BSTR, BSTR, BSTR*);
  BSTR report = t[0];  // an [out] value is overwritten, never freed
  EXPECT_EQ(entry<Report>(object, 4)(object, t[3], t[4], t[4], &report), 0x800A0000 + 53);
  EXPECT_EQ(report, nullptr);
  EXPECT_EQ(entry<Report>(object, 4)(object, t[3], t[4], t[4], nullptr), E_POINTER);
  using Insert = HRESULT (*)(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*);
  VARIANT v[5] = {};
  v[3] = var(u"o'k");
  EXPECT_EQ(entry<Insert>(object, 6)(object, &v[0], &v[1], &v[2], &v[3], &v[4]), S_OK);
  EXPECT_EQ(bstrView(v[3].bstrVal), u"o''k");
  VariantClear(&v[3]);
  object->lpVtbl->Release(object);

  // The legacy interface: SaveAFile is entry 0 (title and owner left out, the dialog cancels),
  // calBlankLines entry 10, which normalises the caller's array of strings.
  object = create(true);
  using Save = HRESULT (*)(IDispatch*, BSTR*, BSTR, BSTR*, LONG*, BSTR*);
  Module1::ScopedSaveDialog cancel([](Module1::OPENFILENAME&) { return 0; });
  EXPECT_EQ(entry<Save>(object, 0)(object, &t[3], t[3], nullptr, nullptr, &report), S_OK);
  EXPECT_EQ(bstrView(report), u"");
  using Blanks = HRESULT (*)(IDispatch*, SAFEARRAY**, LONG*);
  SAFEARRAY* lines = SafeArrayCreateVector(VT_BSTR, 0, 2);
  LONG count = 0;
  static_cast<BSTR*>(lines->pvData)[0] = t[2];
  EXPECT_EQ(entry<Blanks>(object, 10)(object, &lines, &count), S_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(bstrView(static_cast<BSTR*>(lines->pvData)[0]), u"a");
  SafeArrayDestroy(lines);
  object->lpVtbl->Release(object);
  for (BSTR text : {t[0], t[1], t[3], t[4], report}) SysFreeString(text);
}

// Each tree listed with getFileList, the lists joined with "||", then compareFileList; the
// numbers as text, as a script may pass them.
TEST(Dispatch, GoldenCasesAreByteExact) {
  const std::filesystem::path root = std::filesystem::path(CVN_TEST_DATA_DIR) / "golden";
  const std::vector<GoldenCase> cases = goldenCases(root);
  EXPECT_EQ(cases.size(), 24u);
  for (const GoldenCase& c : cases) {
    IDispatch* d = create(c.legacy);
    const std::string o = (root / c.folder / "old").string(),
                      n = (root / c.folder / "new").string();
    auto text = [&](const std::string& utf8) { return var(u16(utf8)); };
    auto list = [&](const std::string& folder) {
      std::u16string files = invoke(d, u"getFileList", {text(folder)}).result.stringValue();
      for (size_t at = files.find(u'\r'); at != std::u16string::npos; at = files.find(u'\r', at)) {
        files.replace(at, 1, u"||");
      }
      return var(files);
    };
    auto option = [&](const char* name) { return text(c.options.at(name)); };
    const Variant result = invoke(d, u"compareFileList",
                                  {text(o), text(n), list(o), list(n), option("--comment"),
                                   option("--threshold"), text("0"), option("--session"),
                                   option("--begin"), option("--end"), option("--type")})
                               .result;
    EXPECT_EQ(result, Variant(u16(goldenExpected(root, c, o, n)))) << c.expectedFile;
    d->lpVtbl->Release(d);
  }
}

// Every 100,000th of 2 million lines is edited. The legacy pass offers paired old lines again, so
// "line 0" to "line 19" take the edited lines, whose own old lines are then deleted.
TEST(Dispatch, HugeFilesOnceThroughEachClass) {
  TempDir dir;
  std::string line(10 << 20, 'x'), many, edited;
  dir.write("long.c", line);  // no line end
  line[5'000'000] = 'y';
  dir.write("long2.c", line + "\n");
  for (int k = 0; k < 2'000'000; ++k) {
    many += "line " + std::to_string(k) + "\n";
    edited += "line " + std::to_string(k) + (k % 100'000 == 50'000 ? "x\n" : "\n");
  }
  dir.write("many.c", many);
  dir.write("many2.c", edited);
  for (const bool legacy : {false, true}) {
    IDispatch* d = create(legacy);
    auto report = [&](const char* one, const char* two) {
      return u"\r" +
             invoke(d, u"compareMatchedFiles",
                    {var(dir.u16()), var(dir.u16(one)), var(dir.u16(two))})
                 .result.stringValue() +
             u"\r";
    };
    invoke(d, u"compareFileList",
           {var(u"/"), var(u"/"), var(u""), var(u""), var(u"//"), var(int16_t{10}), var(int16_t{0}),
            var(1), var(u"/*"), var(u"*/"), var(u"2")});
    EXPECT_NE(report("long.c", "long2.c").find(u"\rchangedlines\t1\r"), std::u16string::npos);
    const std::u16string lines = report("many.c", "many2.c");
    for (std::u16string entry :
         {u"samelines\t1999980", u"changedlines\t20", legacy ? u"dellines\t20" : u"dellines\t0"}) {
      EXPECT_NE(lines.find(u"\r" + entry + u"\r"), std::u16string::npos) << u8(entry);
    }
    d->lpVtbl->Release(d);
  }
}

}  // namespace
}  // namespace cvn::test
