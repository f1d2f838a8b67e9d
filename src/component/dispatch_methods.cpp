#include "component/dispatch_methods.hpp"

#include <array>
#include <span>
#include <string_view>

#include "component/dispatch_values.hpp"
#include "export/save_dialog.hpp"
#include "platform/error.hpp"

namespace cvn::automation {
namespace {

// Arguments are read into locals one by one, in interface order, so that the
// first bad one is the one reported.

template <typename C>
struct Binding {
  std::u16string_view name;
  Variant (*call)(C&, Arguments&);
};

// Runs the call and then the write-back; a failing call still writes back what
// it changed, as a by-reference argument shows it.
template <typename Call, typename WriteBack>
Variant withWriteBack(Call call, WriteBack writeBack) {
  Variant result;
  try {
    result = call();
  } catch (const Error&) {
    writeBack();
    throw;
  }
  writeBack();
  return result;
}

template <typename C>
Variant saveAFile(C& c, Arguments& a) {
  std::u16string initDir = a.text(0);
  const std::u16string filters = a.text(1, u"");
  std::u16string title = a.text(2, kDefaultSaveTitle);
  int32_t parentHwnd = a.int32(3, 0);
  return withWriteBack([&] { return Variant(c.SaveAFile(initDir, filters, title, parentHwnd)); },
                       [&] {
                         a.storeText(0, initDir);
                         if (a.present(2)) a.storeText(2, title);
                         if (a.present(3)) a.storeInt32(3, parentHwnd);
                       });
}

template <typename C>
Variant getFileList(C& c, Arguments& a) {
  const std::u16string path = a.text(0);
  return Variant(c.getFileList(path));
}

template <typename C>
Variant compareFileList(C& c, Arguments& a) {
  const std::u16string rootOne = a.text(0);
  const std::u16string rootTwo = a.text(1);
  const std::u16string sourceOne = a.text(2);
  const std::u16string sourceTwo = a.text(3);
  const std::u16string commentChar = a.text(4);
  const int16_t threshold = a.int16(5);
  const int16_t optThree = a.int16(6);
  const int32_t sessionID = a.int32(7);
  const std::u16string multiBeg = a.text(8);
  const std::u16string multiEnd = a.text(9);
  const std::u16string compareType = a.text(10);
  return Variant(c.compareFileList(rootOne, rootTwo, sourceOne, sourceTwo, commentChar, threshold,
                                   optThree, sessionID, multiBeg, multiEnd, compareType));
}

template <typename C>
Variant matchFiles(C& c, Arguments& a) {
  const std::u16string source = a.text(0);
  const std::u16string compare = a.text(1);
  const std::u16string file = a.text(2);
  const std::u16string against = a.text(3);
  return Variant(c.matchFiles(source, compare, file, against));
}

template <typename C>
Variant compareMatchedFiles(C& c, Arguments& a) {
  const std::u16string root = a.text(0);
  const std::u16string one = a.text(1);
  const std::u16string two = a.text(2);
  return Variant(c.compareMatchedFiles(root, one, two));
}

// Reads every variant argument; writes each back after the call.
template <size_t N, typename Call>
Variant withVariants(Arguments& a, Call call) {
  std::array<Variant, N> v;
  for (size_t k = 0; k < N; ++k) v[k] = a.variant(k);
  return withWriteBack(
      [&] {
        call(v);
        return Variant();
      },
      [&] {
        for (size_t k = 0; k < N; ++k) a.storeVariant(k, v[k]);
      });
}

Variant insertFileCompareResults(Corvane& c, Arguments& a) {
  return withVariants<19>(a, [&](std::array<Variant, 19>& v) {
    c.insertFileCompareResults(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10],
                               v[11], v[12], v[13], v[14], v[15], v[16], v[17], v[18]);
  });
}

Variant insertLegacyFileCompareResults(Corvane_old& c, Arguments& a) {
  return withVariants<11>(a, [&](std::array<Variant, 11>& v) {
    c.insertFileCompareResults(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
  });
}

template <typename C>
Variant insertDirCompareResults(C& c, Arguments& a) {
  return withVariants<5>(a, [&](std::array<Variant, 5>& v) {
    c.insertDirCompareResults(v[0], v[1], v[2], v[3], v[4]);
  });
}

template <typename C, int16_t (C::*Method)(const std::u16string&, const std::u16string&, int16_t)>
Variant changedLine(C& c, Arguments& a) {
  const std::u16string one = a.text(0);
  const std::u16string two = a.text(1);
  const int16_t threshold = a.int16(2);
  return Variant((c.*Method)(one, two, threshold));
}

template <typename C>
Variant checkFileExists(C& c, Arguments& a) {
  const std::u16string file = a.text(0);
  return Variant(c.checkFileExists(file));
}

template <typename C>
Variant checkDirExists(C& c, Arguments& a) {
  const std::u16string folder = a.text(0);
  return Variant(c.checkDirExists(folder));
}

template <typename C>
Variant calBlankLines(C& c, Arguments& a) {
  StringArray lines = a.stringArray(0);
  return withWriteBack([&] { return Variant(c.calBlankLines(lines)); },
                       [&] { a.storeStringArray(0, lines); });
}

template <typename C>
Variant exportFile(C& c, Arguments& a) {
  const std::u16string topHeader = a.text(0);
  const std::u16string topContents = a.text(1);
  const std::u16string fileHeader = a.text(2);
  const std::u16string fileContents = a.text(3);
  return Variant(c.exportFile(topHeader, topContents, fileHeader, fileContents));
}

Variant physicalCountOnly(Corvane& c, Arguments& a) {
  const std::u16string root = a.text(0);
  const std::u16string file = a.text(1);
  int16_t fileType = a.int16(2);
  return withWriteBack([&] { return Variant(c.physicalCountOnly(root, file, fileType)); },
                       [&] { a.storeInt16(2, fileType); });
}

Variant legacyPhysicalCountOnly(Corvane_old& c, Arguments& a) {
  const std::u16string root = a.text(0);
  const std::u16string file = a.text(1);
  return Variant(c.physicalCountOnly(root, file));
}

template <typename C>
Variant scanDir(C& c, Arguments& a) {
  const std::u16string folder = a.text(0);
  const std::u16string format = a.text(1);
  c.scanDir(folder, format);
  return Variant();
}

const std::array<Binding<Corvane>, 15> kCorvane = {{
    {u"SaveAFile", saveAFile<Corvane>},
    {u"getFileList", getFileList<Corvane>},
    {u"compareFileList", compareFileList<Corvane>},
    {u"matchFiles", matchFiles<Corvane>},
    {u"compareMatchedFiles", compareMatchedFiles<Corvane>},
    {u"insertFileCompareResults", insertFileCompareResults},
    {u"insertDirCompareResults", insertDirCompareResults<Corvane>},
    {u"determineChangedLine", changedLine<Corvane, &Corvane::determineChangedLine>},
    {u"determineChangedLine_old", changedLine<Corvane, &Corvane::determineChangedLine_old>},
    {u"checkFileExists", checkFileExists<Corvane>},
    {u"checkDirExists", checkDirExists<Corvane>},
    {u"calBlankLines", calBlankLines<Corvane>},
    {u"exportFile", exportFile<Corvane>},
    {u"physicalCountOnly", physicalCountOnly},
    {u"scanDir", scanDir<Corvane>},
}};

const std::array<Binding<Corvane_old>, 14> kCorvaneOld = {{
    {u"SaveAFile", saveAFile<Corvane_old>},
    {u"getFileList", getFileList<Corvane_old>},
    {u"compareFileList", compareFileList<Corvane_old>},
    {u"matchFiles", matchFiles<Corvane_old>},
    {u"compareMatchedFiles", compareMatchedFiles<Corvane_old>},
    {u"insertFileCompareResults", insertLegacyFileCompareResults},
    {u"insertDirCompareResults", insertDirCompareResults<Corvane_old>},
    {u"determineChangedLine", changedLine<Corvane_old, &Corvane_old::determineChangedLine>},
    {u"checkFileExists", checkFileExists<Corvane_old>},
    {u"checkDirExists", checkDirExists<Corvane_old>},
    {u"calBlankLines", calBlankLines<Corvane_old>},
    {u"exportFile", exportFile<Corvane_old>},
    {u"physicalCountOnly", legacyPhysicalCountOnly},
    {u"scanDir", scanDir<Corvane_old>},
}};

template <typename C>
Variant dispatch(std::span<const Binding<C>> bindings, C& c, const MethodInfo& method,
                 Arguments& a) {
  for (const Binding<C>& binding : bindings) {
    if (binding.name == method.name) return binding.call(c, a);
  }
  throw InvokeFailure{DISP_E_MEMBERNOTFOUND};
}

}  // namespace

Variant invokeMethod(Corvane& comparer, const MethodInfo& method, Arguments& args) {
  return dispatch<Corvane>(kCorvane, comparer, method, args);
}

Variant invokeMethod(Corvane_old& comparer, const MethodInfo& method, Arguments& args) {
  return dispatch<Corvane_old>(kCorvaneOld, comparer, method, args);
}

}  // namespace cvn::automation
