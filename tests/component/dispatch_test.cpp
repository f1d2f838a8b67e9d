// Both classes as hosts reach them: through IDispatch::Invoke, the dual vtables, the golden
// cases, and the largest inputs (a 10 MB line, 2 million lines).
#include <gtest/gtest.h>

#include <cstring>

#include "component/automation_strings.hpp"
#include "component/dispatch_object.hpp"
#include "component/dispatch_values.hpp"
#include "component/dual_interface.hpp"
#include "component/interface.hpp"
#include "export/module1.hpp"
#include "export/save_dialog.hpp"
#include "export/save_dialog_posix.hpp"
#include "support/golden.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

using namespace automation;
using Values = std::vector<Variant>;

IDispatch* create(bool legacy) {
  return legacy ? newCorvaneOldObject() : newCorvaneObject();
}

VARIANT var(const Variant& value, VARTYPE type = VT_EMPTY, void* ref = nullptr) {
  VARIANT v;
  storeVariant(value, v);
  if (ref != nullptr) v.vt = VT_BYREF | type, v.byref = ref;
  return v;
}

struct Outcome {
  HRESULT hr;
  Variant result;
  UINT argErr = 99;
  EXCEPINFO ex{};
};

// Arguments in interface order, given up; what was passed by value must come back as it was.
Outcome invoke(IDispatch* d, std::u16string name, std::vector<VARIANT> args,
               WORD flags = DISPATCH_METHOD) {
  LPOLESTR names[] = {name.data()};
  DISPID id = 0;
  d->lpVtbl->GetIDsOfNames(d, IID_NULL, names, 1, 0, &id);
  std::vector<VARIANT> last(args.rbegin(), args.rend());
  DISPPARAMS params{last.data(), nullptr, UINT(args.size()), 0};
  VARIANT result = var({});
  Outcome out;
  out.hr = d->lpVtbl->Invoke(d, id, IID_NULL, 0, flags, &params, &result, &out.ex, &out.argErr);
  if (out.hr == S_OK) out.result = toVariant(result);
  for (size_t k = 0; k < args.size(); ++k) {
    EXPECT_EQ(std::memcmp(&last[args.size() - 1 - k], &args[k], sizeof(VARIANT)), 0);
    VariantClear(&args[k]);
  }
  VariantClear(&result);
  return out;
}

// Calls the C++ member of that name with the values; they then hold what the call left in them.
struct Convert {
  static void from(const Variant& v, Variant& to) { to = v; }
  static void from(const Variant& v, std::u16string& to) { to = v.stringValue(); }
  static void from(const Variant& v, int16_t& to) { to = v.int16Value(); }
  static void from(const Variant& v, int32_t& to) { to = v.int32Value(); }
  static void from(const Variant&, StringArray&) {}
  static void back(Variant&, const StringArray&) {}
  static void back(Variant& v, const auto& from) { v = from; }
};

template <typename C, typename R, typename K, typename... A>
Variant callMember(C& object, R (K::*member)(A...), Values& v) {
  return [&]<size_t... I>(std::index_sequence<I...>) {
    std::tuple<std::remove_cvref_t<A>...> args;
    (Convert::from(v.at(I), std::get<I>(args)), ...);
    Variant result;
    if constexpr (std::is_void_v<R>) (object.*member)(std::get<I>(args)...);
    if constexpr (!std::is_void_v<R>) result = (object.*member)(std::get<I>(args)...);
    (Convert::back(v[I], std::get<I>(args)), ...);
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

// Each call through Invoke gives what the C++ call gives and leaves the arguments as it does,
// passed by value, by VT_BYREF|VT_VARIANT (as scripts pass variables) and by typed reference.
template <typename C>
void expectSameAsCpp(const TempDir& dir, std::vector<std::pair<std::u16string, Values>> rows) {
  const std::u16string o = dir.u16("old"), a = dir.u16("old/a.c"), n = dir.u16("new");
  const std::u16string ol = a + u"||" + dir.u16("old/gone.c"), nl = dir.u16("new/a.c");
  rows.insert(rows.end(), {{u"getFileList", {o}},
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
                       : mode == 1 ? var({}, VT_VARIANT, &v)
                                   : var({}, v.vt, &v.bstrVal));
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

// Dim a(2)'s variants: one holding its text by reference, the last never assigned (an empty
// line); written back as the C++ call leaves them.
TEST(Dispatch, CalBlankLinesReadsAndWritesBackTheCallersArray) {
  for (const bool legacy : {false, true}) {
    StringArray cpp = StringArray::fromVector({u" a\t", u"\t", u""});
    const int32_t n = legacy ? Corvane_old().calBlankLines(cpp) : Corvane().calBlankLines(cpp);
    BSTR tab = makeBstr(u"\t");
    SAFEARRAY* lines = SafeArrayCreateVector(VT_VARIANT, 0, 3);
    auto* items = static_cast<VARIANT*>(lines->pvData);
    items[0] = var(u" a\t");
    items[1] = var({}, VT_BSTR, &tab);
    VARIANT dimmed = var({}, VT_ARRAY | VT_VARIANT, &lines);
    IDispatch* d = create(legacy);
    EXPECT_EQ(invoke(d, u"calBlankLines", {var({}, VT_VARIANT, &dimmed)}).result, Variant(n));
    EXPECT_EQ(bstrView(items[0].bstrVal), cpp.at(0));
    EXPECT_EQ(bstrView(tab), cpp.at(1));
    SysFreeString(tab);
    SafeArrayDestroy(lines);
    d->lpVtbl->Release(d);
  }
  // An array at the highest lower bound is taken; the method then finds no element 0 (9).
  SAFEARRAY* top = SafeArrayCreateVector(VT_BSTR, INT32_MAX, 1);
  IDispatch* d = create(false);
  const Outcome atTop = invoke(d, u"calBlankLines", {var({}, VT_ARRAY | VT_BSTR, &top)});
  EXPECT_EQ(atTop.ex.scode, static_cast<SCODE>(0x800A0009));
  for (BSTR text : {atTop.ex.bstrSource, atTop.ex.bstrDescription}) SysFreeString(text);
  SafeArrayDestroy(top);
  d->lpVtbl->Release(d);
}

// Argument errors give the argument's index in DISPPARAMS; a method's failure is 0x800A0000 + n.
TEST(Dispatch, FailuresComeBackAsAutomationCallersReadThem) {
  VARIANT a = var(u"abc"), b = var(u"abd"), one = var(int16_t{1}),
          missing = var(DISP_E_PARAMNOTFOUND);
  missing.vt = VT_ERROR;
  const struct {
    std::u16string name;
    std::vector<VARIANT> args;
    HRESULT hr;
    UINT argErr = 99;
    WORD flags = DISPATCH_METHOD;
  } cases[] = {
      {u"determineChangedLine", {a, b}, DISP_E_BADPARAMCOUNT},
      {u"determineChangedLine", {a, b, one, one}, DISP_E_BADPARAMCOUNT},
      {u"determineChangedLine", {a, b, var(70000)}, DISP_E_OVERFLOW, 0},
      {u"determineChangedLine", {var(Variant::null()), b, one}, DISP_E_TYPEMISMATCH, 2},
      {u"determineChangedLine", {a, b, one}, DISP_E_MEMBERNOTFOUND, 99, DISPATCH_PROPERTYPUT},
      {u"noSuchMethod", {}, DISP_E_MEMBERNOTFOUND},
      {u"getFileList", {missing}, DISP_E_PARAMNOTOPTIONAL, 0},
      {u"compareFileList", {a, a, a, a, a, one, b, one, a, a, a}, DISP_E_TYPEMISMATCH, 4},
  };
  IDispatch* d = create(false);
  for (const auto& c : cases) {
    std::vector<VARIANT> refs;
    for (const VARIANT& v : c.args) refs.push_back(var({}, VT_VARIANT, const_cast<VARIANT*>(&v)));
    const Outcome out = invoke(d, c.name, refs, c.flags);
    EXPECT_EQ(out.hr, c.hr) << u8(c.name);
    EXPECT_EQ(out.argErr, c.argErr) << u8(c.name);
  }
  std::u16string texts[] = {u"compareFileList", u"STRROOTDIRECTORYONE", u"no"};
  LPOLESTR names[] = {texts[0].data(), texts[1].data(), texts[2].data()};
  DISPID ids[3] = {};
  EXPECT_EQ(d->lpVtbl->GetIDsOfNames(d, IID_NULL, names, 3, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(std::pair(ids[1], ids[2]), std::pair(0, DISPID_UNKNOWN));  // parameters, by position
  for (VARIANT* v : {&a, &b}) VariantClear(v);
  const Outcome out = invoke(d, u"compareMatchedFiles", {var(u"/"), var(u"/no.c"), var(u"/no.c")});
  EXPECT_EQ(out.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(static_cast<uint32_t>(out.ex.scode), 0x800A0000u + 53);
  EXPECT_EQ(bstrView(out.ex.bstrSource), u"CVN_Core.Corvane");
  for (BSTR text : {out.ex.bstrSource, out.ex.bstrDescription}) SysFreeString(text);
  d->lpVtbl->Release(d);
}

// Entry k after IDispatch's in the dual vtable calls the k-th method; a null in/out pointer is an
// argument left out.
template <typename Fn>
Fn entry(IDispatch* object, size_t index) {
  return reinterpret_cast<Fn>(reinterpret_cast<DualMethod const*>(object->lpVtbl + 1)[index]);
}

TEST(Dispatch, DualVtableEntriesCallTheirMethods) {
  std::vector<BSTR> t;
  for (auto text : {u"int x = 1;", u"int x = 2;", u"/", u"/no.c"})
    t.push_back(SysAllocString(text));
  IDispatch *object = create(false), *legacy = create(true);
  using Lines = HRESULT (*)(IDispatch*, BSTR, BSTR, SHORT, SHORT*);
  SHORT changed = 0, old = 0;
  EXPECT_EQ(entry<Lines>(object, 7)(object, t[0], t[1], 3, &changed), S_OK);
  EXPECT_EQ(entry<Lines>(object, 8)(object, t[0], t[1], 3, &old), S_OK);
  EXPECT_EQ(changed, Corvane().determineChangedLine(u"int x = 1;", u"int x = 2;", 3));
  EXPECT_EQ(old, Corvane().determineChangedLine_old(u"int x = 1;", u"int x = 2;", 3));
  using Report = HRESULT (*)(IDispatch*, BSTR, BSTR, BSTR, BSTR*);
  BSTR report = t[0];  // an [out] value is overwritten, not freed
  EXPECT_EQ(entry<Report>(object, 4)(object, t[2], t[3], t[3], &report), 0x800A0000 + 53);
  EXPECT_EQ(report, nullptr);
  using Save = HRESULT (*)(IDispatch*, BSTR*, BSTR, BSTR*, LONG*, BSTR*);
  std::string title;
  Module1::ScopedSaveDialog cancel(
      [&](Module1::OPENFILENAME& ofn) { return title = ofn.lpstrTitle, 0; });
  EXPECT_EQ(entry<Save>(legacy, 0)(legacy, &t[2], t[2], nullptr, nullptr, &report), S_OK);
  EXPECT_EQ(u16(title), kDefaultSaveTitle);
  for (IDispatch* each : {object, legacy}) each->lpVtbl->Release(each);
  for (BSTR text : {t[0], t[1], t[2], t[3], report}) SysFreeString(text);
}

// getFileList's lists joined with "||", then compareFileList, its numbers passed as text.
TEST(Dispatch, GoldenCasesAreByteExact) {
  const std::filesystem::path dir = std::filesystem::path(CVN_TEST_DATA_DIR) / "golden";
  const std::vector<GoldenCase> cases = goldenCases(dir);
  ASSERT_EQ(cases.size(), 24u);
  for (const GoldenCase& c : cases) {
    IDispatch* d = create(c.legacy);
    const std::string o = (dir / c.folder / "old").string(), n = (dir / c.folder / "new").string();
    auto list = [&](const std::string& folder) {
      std::u16string files = invoke(d, u"getFileList", {var(u16(folder))}).result.stringValue();
      for (size_t at = files.find(u'\r'); at != std::u16string::npos; at = files.find(u'\r', at)) {
        files.replace(at, 1, u"||");
      }
      return var(files);
    };
    auto option = [&](const char* name) { return var(u16(c.options.at(name))); };
    const Variant result = invoke(d, u"compareFileList",
                                  {var(u16(o)), var(u16(n)), list(o), list(n), option("--comment"),
                                   option("--threshold"), var(u"0"), option("--session"),
                                   option("--begin"), option("--end"), option("--type")})
                               .result;
    EXPECT_EQ(result, Variant(u16(goldenExpected(dir, c, o, n)))) << c.expectedFile;
    d->lpVtbl->Release(d);
  }
}

// Every 100,000th line edited; the legacy pass offers paired old lines again, so "line 0" to
// "line 19" take the edited lines, whose own old lines are then deleted.
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
  auto expectReports = [&](auto comparer, const char16_t* deleted) {
    comparer.state().diffThershold = 10;
    auto report = [&](const char* one, const char* two) {
      return u"\r" + comparer.compareMatchedFiles(dir.u16(), dir.u16(one), dir.u16(two)) + u"\r";
    };
    EXPECT_NE(report("long.c", "long2.c").find(u"\rchangedlines\t1\r"), std::u16string::npos);
    const std::u16string lines = report("many.c", "many2.c");
    for (std::u16string entry : {u"samelines\t1999980", u"changedlines\t20", deleted}) {
      EXPECT_NE(lines.find(u"\r" + entry + u"\r"), std::u16string::npos) << u8(entry);
    }
  };
  expectReports(Corvane(), u"dellines\t0");
  expectReports(Corvane_old(), u"dellines\t20");
}

}  // namespace
}  // namespace cvn::test
