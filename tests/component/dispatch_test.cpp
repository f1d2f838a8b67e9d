// Every method of both classes through IDispatch::Invoke gives what the C++ call gives and
// leaves in/out arguments as the C++ call leaves them; bad calls come back as automation callers
// read them.
#include <gtest/gtest.h>

#include <algorithm>

#include "component/automation_strings.hpp"
#include "component/dispatch_values.hpp"
#include "component/interface.hpp"
#include "export/module1.hpp"
#include "export/save_dialog_posix.hpp"
#include "platform/utf.hpp"
#include "support/error_number.hpp"
#include "support/temp_dir.hpp"

namespace cvn::test {
namespace {

using automation::bstrView;
using automation::toVariant;
using Values = std::vector<Variant>;

IDispatch* create(const CLSID& clsid) {
  IClassFactory* factory = nullptr;
  IDispatch* object = nullptr;
  DllGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  factory->lpVtbl->CreateInstance(factory, nullptr, IID_IDispatch,
                                  reinterpret_cast<void**>(&object));
  factory->lpVtbl->Release(factory);
  return object;
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

DISPID idOf(IDispatch* d, std::u16string name) {
  LPOLESTR names[] = {name.data()};
  DISPID id = 0;
  d->lpVtbl->GetIDsOfNames(d, IID_NULL, names, 1, 0, &id);
  return id;
}

struct Outcome {
  HRESULT hr;
  Variant result;
  UINT argErr = 99;
  EXCEPINFO ex{};
};

// Arguments in interface order (those passed by value are given up); the last `named` ones go
// by these ids.
Outcome invoke(IDispatch* d, const std::u16string& name, std::vector<VARIANT> args,
               WORD flags = DISPATCH_METHOD, std::vector<DISPID> named = {}) {
  std::reverse(args.begin(), args.end());
  DISPPARAMS params{args.data(), named.data(), static_cast<UINT>(args.size()),
                    static_cast<UINT>(named.size())};
  VARIANT result = special(VT_EMPTY);
  Outcome out;
  out.hr = d->lpVtbl->Invoke(d, idOf(d, name), IID_NULL, 0, flags, &params, &result, &out.ex,
                             &out.argErr);
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
        [&](auto& arg) {
          if constexpr (!std::is_same_v<decltype(arg), StringArray&>) v[I] = arg;
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

class Dispatch : public ::testing::Test {
 protected:
  using Rows = std::vector<std::pair<std::u16string, Values>>;

  // The calls both classes share, then the class's own, through Invoke on one object and in C++
  // on another; the arguments by value, by VT_BYREF|VT_VARIANT (as scripts pass their
  // variables) and by typed reference.
  template <typename C>
  void expectSameAsCpp(const CLSID& clsid, const Rows& own) {
    const std::u16string o = dir.u16("old"), a = dir.u16("old/a.cpp"), n = dir.u16("new");
    const std::u16string ol = a + u"||" + dir.u16("old/gone.cpp"), nl = dir.u16("new/a.cpp");
    Rows rows = {
        {u"getFileList", {o}},
        {u"compareFileList", {o, n, ol, nl, u"//", int16_t{3}, int16_t{0}, 7, u"/*", u"*/", u"2"}},
        {u"compareMatchedFiles", {o, a, nl}},
        {u"matchFiles", {o, n, a, nl}},
        {u"determineChangedLine", {u"abc", u"abd", int16_t{2}}},
        {u"checkFileExists", {a}},
        {u"checkDirExists", {o}},
        {u"insertDirCompareResults", {1, u"2", 3.0, u"/o'ld/", u"/n'ew/"}},
        {u"scanDir", {o, u"1"}},
        {u"SaveAFile", {o, u"Text|*.txt", u"Pick", 0}},
        {u"exportFile", {u"top", u"a|||b", u"files", u"c"}}};
    rows.insert(rows.end(), own.begin(), own.end());
    for (const int mode : {0, 1, 2}) {
      IDispatch* d = create(clsid);
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
        EXPECT_EQ(out.hr, S_OK) << u8(name) << " " << u8(bstrView(out.ex.bstrDescription));
        EXPECT_EQ(out.result, expected) << u8(name) << " mode " << mode;
        for (size_t k = 0; k < held.size(); ++k) {
          EXPECT_EQ(toVariant(held[k]), mode == 0 ? values[k] : after[k]) << u8(name) << " " << k;
          VariantClear(&held[k]);
        }
      }
      d->lpVtbl->Release(d);
    }
  }

  TempDir dir;
  // The dialog answers with a path named after its title.
  Module1::ScopedSaveDialog dialog{[this](Module1::OPENFILENAME& ofn) {
    return acceptChosenPath(ofn, dir.path().string() + "/" + ofn.lpstrTitle);
  }};
};

TEST_F(Dispatch, EveryMethodGivesTheCppResult) {
  dir.write("old/a.cpp", "int a;\n// note\n\nint b;\n");
  dir.write("old/gone.cpp", "x\n");
  dir.write("new/a.cpp", "int a;\n// note\n\nint c;\n");
  Values file(19, Variant(int16_t{1}));
  file[8] = u"it's.cpp";
  expectSameAsCpp<Corvane>(
      CLSID_Corvane, {{u"determineChangedLine_old", {u"abc", u"abd", int16_t{2}}},
                      {u"physicalCountOnly", {dir.u16("new"), dir.u16("new/a.cpp"), int16_t{1}}},
                      {u"insertFileCompareResults", file}});
  file.resize(11);
  expectSameAsCpp<Corvane_old>(CLSID_Corvane_old,
                               {{u"physicalCountOnly", {dir.u16("old"), dir.u16("old/a.cpp")}},
                                {u"insertFileCompareResults", file}});
}

// Arrays as a C++ caller passes them (strings, by reference) and as a script's Dim a(4) does
// (variants, by reference, the last element never assigned: an empty line).
TEST_F(Dispatch, CalBlankLinesReadsAndWritesBackTheCallersArray) {
  const std::vector<std::u16string> lines = {u" a\t", u"\t", u"b  c ", u""};
  for (const bool legacy : {false, true}) {
    StringArray expected = StringArray::fromVector(lines);
    const int32_t count =
        legacy ? Corvane_old().calBlankLines(expected) : Corvane().calBlankLines(expected);
    SAFEARRAY* strings = SafeArrayCreateVector(VT_BSTR, 0, 4);
    SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 0, 5);
    for (LONG k = 0; k < 4; ++k) {
      VARIANT text = var(lines[k]);
      SafeArrayPutElement(strings, &k, text.bstrVal);
      SafeArrayPutElement(variants, &k, &text);
      VariantClear(&text);
    }
    VARIANT dimmed = special(VT_BYREF | VT_ARRAY | VT_VARIANT, &variants);
    IDispatch* d = create(legacy ? CLSID_Corvane_old : CLSID_Corvane);
    EXPECT_EQ(
        invoke(d, u"calBlankLines", {special(VT_BYREF | VT_ARRAY | VT_BSTR, &strings)}).result,
        Variant(count));
    EXPECT_EQ(invoke(d, u"calBlankLines", {special(VT_BYREF | VT_VARIANT, &dimmed)}).result,
              Variant(count + 1));
    for (LONG k = 0; k < 4; ++k) {
      VARIANT element = special(VT_EMPTY);
      SafeArrayGetElement(variants, &k, &element);
      EXPECT_EQ(bstrView(static_cast<BSTR*>(strings->pvData)[k]), expected.at(k));
      EXPECT_EQ(bstrView(element.bstrVal), expected.at(k));
      VariantClear(&element);
    }
    SafeArrayDestroy(strings);
    SafeArrayDestroy(variants);
    d->lpVtbl->Release(d);
  }
}

// Argument errors name the argument as DISPPARAMS counts it (the last one is 0); a failure
// inside a method is 0x800A0000 + its number, with the class as the source.
TEST_F(Dispatch, FailuresComeBackAsAutomationCallersReadThem) {
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
  IDispatch* d = create(CLSID_Corvane);
  for (const auto& c : cases) {
    std::vector<VARIANT> refs;
    for (const VARIANT& v : c.args)
      refs.push_back(special(VT_BYREF | VT_VARIANT, const_cast<VARIANT*>(&v)));
    const Outcome out = invoke(d, c.name, refs, c.flags);
    EXPECT_EQ(out.hr, c.hr) << u8(c.name);
    EXPECT_EQ(out.argErr, c.argErr) << u8(c.name);
  }
  // Further names are parameters, for named arguments; here the last two.
  std::u16string method = u"COMPAREFILELIST", session = u"sessionid";
  LPOLESTR names[] = {method.data(), session.data()};
  DISPID ids[2] = {};
  EXPECT_EQ(d->lpVtbl->GetIDsOfNames(d, IID_NULL, names, 2, 0, ids), S_OK);
  EXPECT_EQ(ids[1], 7);
  EXPECT_EQ(invoke(d, u"determineChangedLine", {var(u"abc"), var(int16_t{2}), var(u"abd")},
                   DISPATCH_METHOD, {1, 2})
                .result,
            Variant(Corvane().determineChangedLine(u"abc", u"abd", 2)));
  d->lpVtbl->Release(d);
  for (VARIANT* v : {&a, &b}) VariantClear(v);

  const std::u16string file = dir.u16("missing.cpp");
  std::string description;
  EXPECT_EQ(errorNumberOf([&] { Corvane().compareMatchedFiles(u"/", file, file); }, &description),
            53);
  for (const bool legacy : {false, true}) {
    d = create(legacy ? CLSID_Corvane_old : CLSID_Corvane);
    const Outcome out = invoke(d, u"compareMatchedFiles", {var(u"/"), var(file), var(file)});
    EXPECT_EQ(out.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(static_cast<uint32_t>(out.ex.scode), 0x800A0000u + 53);
    EXPECT_EQ(bstrView(out.ex.bstrSource), legacy ? u"CVN_Core.Corvane_old" : u"CVN_Core.Corvane");
    EXPECT_EQ(bstrView(out.ex.bstrDescription), utf8ToUtf16(description));
    SysFreeString(out.ex.bstrSource);
    SysFreeString(out.ex.bstrDescription);
    d->lpVtbl->Release(d);
  }
}

}  // namespace
}  // namespace cvn::test
