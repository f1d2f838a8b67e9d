// A C++ host of cvn_core.dll: creates both classes through COM and calls every
// method through IDispatch::Invoke by dispatch identifier, then the dual
// interfaces' vtables, the type library, the registry entries, unloading and
// unregistration. Prints one line per failed check and a closing
// "N passed, N failed"; exits non-zero when a check failed.
//
// Usage: com_client.exe <tests\data folder> <empty scratch folder> <cvn_core.dll>

#define INITGUID
#include "component/cvn_automation.h"
// clang-format off
#include "com_client_support.hpp"
// clang-format on

#include <string>
#include <vector>

namespace {

struct MethodId {
  const wchar_t* name;
  DISPID id;
};

// The fixed dispatch identifiers, written out here so that a change to the
// component's own table shows.
const std::vector<MethodId> kCorvaneIds = {
    {L"SaveAFile", 0x60030000},
    {L"getFileList", 0x60030001},
    {L"compareFileList", 0x60030002},
    {L"matchFiles", 0x60030003},
    {L"compareMatchedFiles", 0x60030004},
    {L"insertFileCompareResults", 0x60030005},
    {L"insertDirCompareResults", 0x60030006},
    {L"determineChangedLine", 0x6003000A},
    {L"determineChangedLine_old", 0x6003000B},
    {L"checkFileExists", 0x6003000C},
    {L"checkDirExists", 0x6003000D},
    {L"calBlankLines", 0x6003000E},
    {L"exportFile", 0x60030010},
    {L"physicalCountOnly", 0x60030011},
    {L"scanDir", 0x60030012},
};
const std::vector<MethodId> kCorvaneOldIds = {
    {L"SaveAFile", 0x60030000},
    {L"getFileList", 0x60030001},
    {L"compareFileList", 0x60030002},
    {L"matchFiles", 0x60030003},
    {L"compareMatchedFiles", 0x60030004},
    {L"insertFileCompareResults", 0x60030005},
    {L"insertDirCompareResults", 0x60030006},
    {L"determineChangedLine", 0x60030008},
    {L"checkFileExists", 0x60030009},
    {L"checkDirExists", 0x6003000A},
    {L"calBlankLines", 0x6003000B},
    {L"exportFile", 0x6003000C},
    {L"physicalCountOnly", 0x6003000D},
    {L"scanDir", 0x6003000E},
};

// The reports: "key<TAB>value" entries separated by carriage returns.
const wchar_t* const kReportOld =
    L"samelines\t4\rchangedlines\t2\rdellines\t1\rnewlines\t2\rcommlinesOne\t3\r"
    L"commlinesTwo\t3\rtotallinesOne\t3\rtotallinesTwo\t4";

// The pair of files every class compares: CRLF lines, comments of both kinds.
const char* const kOldFile =
    "int a;\r\n// note\r\n\r\nint b = 1;\r\n/* block\r\n   more */\r\nreturn;\r\n";
const char* const kNewFile =
    "int a;\r\n// note changed\r\n\r\nint b = 2;\r\n/* block\r\n   more */\r\nreturn "
    "0;\r\nextra();\r\n";

std::wstring currentReport(const std::wstring& name) {
  return L"samelines\t3\rchangedlines\t2\rdellines\t1\rnewlines\t2\rcommlinesOne\t3\r"
         L"commlinesTwo\t3\rtotallinesOne\t3\rtotallinesTwo\t4\rfilename\t" +
         name +
         L"\rblanklinesOne\t1\rblanklinesTwo\t1\rsamelines commment\t2\rsamelines code\t1\r"
         L"changedlines coment\t0\rchangedlines code\t2\rdellines comment\t1\rdellines code\t0\r"
         L"newlines comment\t1\rnewlines code\t1";
}

struct Fixture {
  std::wstring data;     // the repository's tests\data
  std::wstring scratch;  // empty, ours
  std::wstring dll;
  std::wstring oldRoot;  // scratch\o and scratch\n hold the pair above
  std::wstring newRoot;
};

void checkIdentifiers(IDispatch* object, const std::vector<MethodId>& ids, const char* cls) {
  for (const MethodId& m : ids) {
    check(dispId(object, m.name) == m.id, cls, "dispatch id of", m.name);
    std::wstring upper = m.name;
    for (wchar_t& ch : upper) ch = static_cast<wchar_t>(towupper(ch));
    check(dispId(object, upper) == m.id, cls, "case-insensitive name", m.name);
  }
  check(dispId(object, L"noSuchMethod") == DISPID_UNKNOWN, cls, "unknown name", L"");
}

// The type library: the interface is dual and names resolve to the same ids.
void checkTypeInfo(IDispatch* object, const IID& iid, const std::vector<MethodId>& ids,
                   const char* cls) {
  UINT count = 0;
  check(object->GetTypeInfoCount(&count) == S_OK && count == 1, cls, "GetTypeInfoCount", L"");
  ITypeInfo* info = nullptr;
  if (!check(object->GetTypeInfo(0, 0, &info) == S_OK && info != nullptr, cls, "GetTypeInfo",
             L"")) {
    return;
  }
  TYPEATTR* attr = nullptr;
  if (check(info->GetTypeAttr(&attr) == S_OK, cls, "GetTypeAttr", L"")) {
    check(IsEqualGUID(attr->guid, iid), cls, "type info guid", L"");
    check((attr->wTypeFlags & TYPEFLAG_FDUAL) != 0, cls, "interface is dual", L"");
    info->ReleaseTypeAttr(attr);
  }
  for (const MethodId& m : ids) {
    LPOLESTR name = const_cast<LPOLESTR>(m.name);
    MEMBERID id = MEMBERID_NIL;
    check(info->GetIDsOfNames(&name, 1, &id) == S_OK && id == m.id, cls, "type library id of",
          m.name);
  }
  info->Release();
}

void checkRegistry() {
  const std::wstring clsid = L"CLSID\\" + guidString(CLSID_Corvane);
  check(registryText(clsid + L"\\InprocServer32", L"ThreadingModel") == L"Apartment", "registry",
        "ThreadingModel", L"");
  const std::wstring server = registryText(clsid + L"\\InprocServer32", nullptr);
  check(endsWithIgnoringCase(server, L"\\cvn_core.dll"), "registry", "InprocServer32", server);
  check(registryText(L"CVN_Core.Corvane_old\\CLSID", nullptr) == guidString(CLSID_Corvane_old),
        "registry", "ProgID of Corvane_old", L"");
  check(registryText(L"TypeLib\\" + guidString(LIBID_CVN_Core) + L"\\1.0", nullptr) == L"CVN_Core",
        "registry", "type library CVN_Core 1.0", L"");
  for (const IID* iid : {&IID__Corvane, &IID__Corvane_old}) {
    check(registryText(L"Interface\\" + guidString(*iid) + L"\\TypeLib", nullptr) ==
              guidString(LIBID_CVN_Core),
          "registry", "interface", guidString(*iid));
  }
}

// Everything both classes share, called through Invoke.
void checkCommonMethods(IDispatch* object, const Fixture& fx, bool legacy) {
  const char* cls = legacy ? "Corvane_old" : "Corvane";
  const std::wstring oldFile = fx.oldRoot + L"\\f.c";
  const std::wstring newFile = fx.newRoot + L"\\f.c";

  Call list = invoke(object, 0x60030001, {Arg::text(fx.scratch)});
  check(list.text() == fx.newRoot + L"\\f.c\r" + fx.oldRoot + L"\\f.c", cls, "getFileList",
        list.text());
  check(invoke(object, 0x60030001, {Arg::text(fx.scratch + L"\\missing")}).text() == L"1", cls,
        "getFileList of a missing folder", L"");

  const DISPID matchId = 0x60030003;
  check(
      invoke(object, matchId,
             {Arg::text(fx.oldRoot), Arg::text(fx.newRoot), Arg::text(oldFile), Arg::text(newFile)})
              .i2() == 1,
      cls, "matchFiles of counterparts", L"");
  check(invoke(object, matchId,
               {Arg::text(fx.oldRoot), Arg::text(fx.newRoot), Arg::text(oldFile),
                Arg::text(fx.newRoot + L"\\g.c")})
                .i2() == 0,
        cls, "matchFiles of strangers", L"");

  const DISPID fileExists = legacy ? 0x60030009 : 0x6003000C;
  const DISPID dirExists = legacy ? 0x6003000A : 0x6003000D;
  check(invoke(object, fileExists, {Arg::text(oldFile)}).i2() == 1, cls, "checkFileExists", L"");
  check(invoke(object, fileExists, {Arg::text(fx.oldRoot)}).i2() == 0, cls,
        "checkFileExists of a folder", L"");
  check(invoke(object, dirExists, {Arg::text(fx.oldRoot)}).i2() == 1, cls, "checkDirExists", L"");
  check(invoke(object, dirExists, {Arg::text(oldFile)}).i2() == 0, cls, "checkDirExists of a file",
        L"");

  // Settings and statements: one pair, type "2".
  Call compared = invoke(object, 0x60030002,
                         {Arg::text(fx.oldRoot), Arg::text(fx.newRoot), Arg::text(oldFile),
                          Arg::text(newFile), Arg::text(L"//"), Arg::i2(3), Arg::i2(0), Arg::i4(7),
                          Arg::text(L"/*"), Arg::text(L"*/"), Arg::text(L"2")});
  const std::wstring dirStatement =
      L"insert into dir_compare_results(sessionid, samefiles, deletedfiles, newfiles, oldpath, "
      L"newpath) values (7,1,0,0,'" +
      fx.oldRoot + L"\\','" + fx.newRoot + L"\\')|||";
  const std::wstring fileRow = legacy ? L"values (7,'f.c',2,1,4,3,2,3,4,3,1,1)|||"
                                      : L"values (7,'f.c',2,1,3,3,2,4,5,3,1,1,2,1,0,2,1,0,1,1)|||";
  check(compared.ok() && endsWith(compared.text(), fileRow + dirStatement), cls, "compareFileList",
        compared.text());

  Call report =
      invoke(object, 0x60030004, {Arg::text(fx.oldRoot), Arg::text(oldFile), Arg::text(newFile)});
  check(report.text() == (legacy ? std::wstring(kReportOld) : currentReport(L"\\f.c")), cls,
        "compareMatchedFiles", report.text());

  // Errors carry their number: 53 file, 76 path, 75 a file another program holds.
  Call missing =
      invoke(object, 0x60030004,
             {Arg::text(fx.oldRoot), Arg::text(oldFile), Arg::text(fx.newRoot + L"\\no.c")});
  check(missing.hr == DISP_E_EXCEPTION && missing.scode() == 0x800A0035, cls,
        "missing file is error 53", missing.description());
  check(missing.source() == (legacy ? L"CVN_Core.Corvane_old" : L"CVN_Core.Corvane"), cls,
        "error source", missing.source());
  Call noPath = invoke(
      object, 0x60030004,
      {Arg::text(fx.oldRoot), Arg::text(oldFile), Arg::text(fx.scratch + L"\\nowhere\\no.c")});
  check(noPath.scode() == 0x800A004C, cls, "missing folder is error 76", noPath.description());
  {
    HANDLE held = CreateFileW(newFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Call busy =
        invoke(object, 0x60030004, {Arg::text(fx.oldRoot), Arg::text(oldFile), Arg::text(newFile)});
    check(held != INVALID_HANDLE_VALUE && busy.scode() == 0x800A004B, cls,
          "a file held open elsewhere is error 75", busy.description());
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  }

  // Statement builders write escaped texts back into the caller's variants.
  {
    std::vector<VARIANT> values(legacy ? 11 : 19);
    for (size_t k = 0; k < values.size(); ++k) {
      VariantInit(&values[k]);
      values[k].vt = VT_I4;
      values[k].lVal = static_cast<LONG>(k);
    }
    // i is the file name; the rest are counts.
    VariantClear(&values[8]);
    values[8].vt = VT_BSTR;
    values[8].bstrVal = SysAllocString(L"it's.c");
    std::vector<Arg> args;
    for (VARIANT& v : values) args.push_back(Arg::variantRef(&v));
    Call built = invoke(object, 0x60030005, args);
    check(built.ok() && built.result.vt == VT_EMPTY, cls, "insertFileCompareResults", L"");
    check(values[8].vt == VT_BSTR && std::wstring(values[8].bstrVal) == L"it''s.c", cls,
          "escaped name written back", L"");
    Call tooMany = invoke(object, 0x60030005, std::vector<Arg>(values.size() + 1, Arg::i4(0)));
    check(tooMany.hr == DISP_E_BADPARAMCOUNT, cls, "too many arguments", L"");
    for (VARIANT& v : values) VariantClear(&v);
  }
  {
    VARIANT values[5];
    for (VARIANT& v : values) VariantInit(&v);
    values[0].vt = VT_I4;
    values[0].lVal = 3;
    values[1].vt = values[2].vt = values[3].vt = VT_I2;
    values[3].vt = VT_BSTR;
    values[3].bstrVal = SysAllocString(L"c:\\o'ld\\");
    values[4].vt = VT_BSTR;
    values[4].bstrVal = SysAllocString(L"c:\\new\\");
    std::vector<Arg> args;
    for (VARIANT& v : values) args.push_back(Arg::variantRef(&v));
    check(invoke(object, 0x60030006, args).ok(), cls, "insertDirCompareResults", L"");
    check(std::wstring(values[3].bstrVal) == L"c:\\o''ld\\", cls, "escaped path written back",
          values[3].bstrVal);
    Call bad = invoke(object, 0x60030006,
                      {Arg::i4(1), Arg::i4(1), Arg::i4(1), Arg::text(L"a|||b"), Arg::text(L"x")});
    check(bad.scode() == 0x800A0005, cls, "a text holding the separator is error 5", L"");
    for (VARIANT& v : values) VariantClear(&v);
  }

  // The caller's array is read (and, by the legacy class, normalised) in place.
  {
    const DISPID blanks = legacy ? 0x6003000B : 0x6003000E;
    SafeArray lines({L"a", L"  ", L"\t", L"", L" b "});
    Call counted = invoke(object, blanks, {Arg::arrayRef(lines.pointer())});
    check(counted.ok() && counted.result.vt == VT_I4 && counted.result.lVal == 3, cls,
          "calBlankLines", L"");
    const std::vector<std::wstring> expected =
        legacy ? std::vector<std::wstring>{L"a", L"", L"", L"", L"b"}
               : std::vector<std::wstring>{L"a", L"  ", L"\t", L"", L" b "};
    check(lines.items() == expected, cls, "calBlankLines leaves the array as expected", L"");
    // The forms script hosts send: an array of variants by reference, and a
    // variant reference around the array itself or around a reference to it.
    VariantArray variants({L"x", L"", L"   "});
    Call fromScript = invoke(object, blanks, {Arg::variantArrayRef(variants.pointer())});
    check(fromScript.ok() && fromScript.result.lVal == 2, cls, "calBlankLines of variants", L"");
    VARIANT holder;
    VariantInit(&holder);
    holder.vt = VT_ARRAY | VT_VARIANT;
    holder.parray = *variants.pointer();
    Call wrapped = invoke(object, blanks, {Arg::variantRef(&holder)});
    check(wrapped.ok() && wrapped.result.lVal == 2, cls, "calBlankLines of Array(...)", L"");
    holder.vt = VT_BYREF | VT_ARRAY | VT_VARIANT;
    holder.pparray = variants.pointer();
    Call dimmed = invoke(object, blanks, {Arg::variantRef(&holder)});
    check(dimmed.ok() && dimmed.result.lVal == 2, cls, "calBlankLines of Dim a(2)", L"");
  }

  // Without a display the Save dialog cannot open: a cancel, nothing written.
  {
    BSTR initDir = SysAllocString(fx.scratch.c_str());
    BSTR title = SysAllocString(L"Save the report");
    LONG owner = 0;
    Call saved = invoke(object, 0x60030000,
                        {Arg::textRef(&initDir), Arg::text(L"Text|*.txt"), Arg::textRef(&title),
                         Arg::i4Ref(&owner)});
    check(saved.ok() && saved.text().empty(), cls, "SaveAFile cancels", saved.text());
    check(std::wstring(initDir) == fx.scratch, cls, "sInitDir unchanged", initDir);
    Call optional = invoke(object, 0x60030000, {Arg::textRef(&initDir)});
    check(optional.ok() && optional.text().empty(), cls, "SaveAFile without optionals", L"");
    SysFreeString(initDir);
    SysFreeString(title);
    const DISPID exportId = legacy ? 0x6003000C : 0x60030010;
    const size_t before = fileCount(fx.scratch);
    Call exported =
        invoke(object, exportId,
               {Arg::text(L"top"), Arg::text(L"a|||b"), Arg::text(L"f"), Arg::text(L"c")});
    check(exported.ok() && exported.i2() == 0, cls, "exportFile cancels", L"");
    check(fileCount(fx.scratch) == before, cls, "exportFile wrote nothing", L"");
  }

  const DISPID scanId = legacy ? 0x6003000E : 0x60030012;
  Call scanned = invoke(object, scanId, {Arg::text(fx.oldRoot), Arg::text(L"1")});
  check(scanned.ok() && scanned.result.vt == VT_EMPTY, cls, "scanDir", L"");

  // Argument errors come back as such, with the argument's position.
  const DISPID changed = legacy ? 0x60030008 : 0x6003000A;
  Call mismatch = invoke(object, changed, {Arg::text(L"a"), Arg::text(L"b"), Arg::text(L"x")});
  check(mismatch.hr == DISP_E_TYPEMISMATCH && mismatch.argError == 0, cls, "type mismatch", L"");
  Call overflow = invoke(object, changed, {Arg::text(L"a"), Arg::text(L"b"), Arg::i4(40000)});
  check(overflow.hr == DISP_E_OVERFLOW, cls, "16-bit overflow", L"");
  check(invoke(object, changed, {Arg::text(L"a")}).hr == DISP_E_BADPARAMCOUNT, cls,
        "too few arguments", L"");
  check(invoke(object, 0x60030100, {}).hr == DISP_E_MEMBERNOTFOUND, cls, "unknown dispatch id",
        L"");
  check(
      invoke(object, changed, {Arg::text(L"a"), Arg::text(L"b"), Arg::i2(1)}, DISPATCH_PROPERTYPUT)
              .hr == DISP_E_MEMBERNOTFOUND,
      cls, "property put refused", L"");
  Call both =
      invoke(object, changed, {Arg::text(L"int x = 1;"), Arg::text(L"int x = 2;"), Arg::i2(3)},
             DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  check(both.ok() && both.i2() == (legacy ? 1 : -1), cls, "determineChangedLine", L"");
  check(invoke(object, changed, {Arg::text(L"abc"), Arg::text(L"xyz"), Arg::i2(3)}).i2() == 0, cls,
        "determineChangedLine of different lines", L"");
}

void checkCorvaneOnly(IDispatch* object, const Fixture& fx) {
  Call old =
      invoke(object, 0x6003000B, {Arg::text(L"int x = 1;"), Arg::text(L"int x = 2;"), Arg::i2(3)});
  check(old.ok() && old.i2() == 1, "Corvane", "determineChangedLine_old", L"");
  SHORT type = 2;
  Call counted =
      invoke(object, 0x60030011,
             {Arg::text(fx.oldRoot), Arg::text(fx.oldRoot + L"\\f.c"), Arg::i2Ref(&type)});
  check(counted.ok() && counted.text().empty() && type == 2, "Corvane", "physicalCountOnly", L"");
}

void checkCorvaneOldOnly(IDispatch* object, const Fixture& fx) {
  Call counted =
      invoke(object, 0x6003000D, {Arg::text(fx.oldRoot), Arg::text(fx.oldRoot + L"\\f.c")});
  check(counted.ok() && counted.text().empty(), "Corvane_old", "physicalCountOnly", L"");
  check(invoke(object, 0x6003000B, {Arg::text(L"a"), Arg::text(L"b"), Arg::i2(3)}).hr ==
            DISP_E_BADPARAMCOUNT,
        "Corvane_old", "no determineChangedLine_old (its id is calBlankLines)", L"");
}

// The golden cases: both trees compared through Invoke, statements equal to
// the POSIX build's once roots and separators are mapped.
void checkGoldenCases(const Fixture& fx) {
  const std::wstring golden = fx.data + L"\\golden";
  for (const GoldenCase& c : loadGoldenCases(golden)) {
    IDispatch* object = create(c.legacy ? CLSID_Corvane_old : CLSID_Corvane);
    if (!check(object != nullptr, "golden", "create", c.expected)) continue;
    const std::wstring oldRoot = golden + L"\\" + c.folder + L"\\old";
    const std::wstring newRoot = golden + L"\\" + c.folder + L"\\new";
    auto comparisonList = [&](const std::wstring& root) {
      std::wstring list = invoke(object, 0x60030001, {Arg::text(root)}).text();
      replaceAll(list, L"\r", L"||");
      return list;
    };
    const std::wstring oldList = comparisonList(oldRoot);
    const std::wstring newList = comparisonList(newRoot);
    Call result =
        invoke(object, 0x60030002,
               {Arg::text(oldRoot), Arg::text(newRoot), Arg::text(oldList), Arg::text(newList),
                Arg::text(c.comment), Arg::i2(c.threshold), Arg::i2(0), Arg::i4(c.session),
                Arg::text(c.begin), Arg::text(c.end), Arg::text(c.type)});
    std::wstring text = result.text();
    replaceAll(text, oldRoot + L"\\", L"@OLD@/");
    replaceAll(text, newRoot + L"\\", L"@NEW@/");
    replaceAll(text, L"\\", L"/");
    const std::wstring expected = readWholeFile(golden + L"\\" + c.expected);
    check(result.ok() && !expected.empty() && text == expected, "golden", "statement list",
          c.expected);
    object->Release();
  }
}

// The vtable side of the dual interfaces.
void checkDualInterfaces(const Fixture& fx) {
  IDispatch* object = create(CLSID_Corvane);
  CorvaneVtable* dual = nullptr;
  if (!check(object != nullptr &&
                 object->QueryInterface(IID__Corvane, reinterpret_cast<void**>(&dual)) == S_OK,
             "dual", "QueryInterface _Corvane", L"")) {
    if (object != nullptr) object->Release();
    return;
  }
  SHORT changed = 0;
  check(dual->determineChangedLine(bstr(L"int x = 1;"), bstr(L"int x = 2;"), 3, &changed) == S_OK &&
            changed == -1,
        "dual", "determineChangedLine", L"");
  // The settings come from compareFileList, as through Invoke.
  BSTR report = nullptr;
  check(dual->compareFileList(bstr(fx.oldRoot), bstr(fx.newRoot), bstr(fx.oldRoot + L"\\f.c"),
                              bstr(fx.newRoot + L"\\f.c"), bstr(L"//"), 3, 0, 7, bstr(L"/*"),
                              bstr(L"*/"), bstr(L"2"), &report) == S_OK &&
            report != nullptr && std::wstring(report).find(L"(7,'f.c',") != std::wstring::npos,
        "dual", "compareFileList", L"");
  SysFreeString(report);
  report = nullptr;
  check(dual->compareMatchedFiles(bstr(fx.oldRoot), bstr(fx.oldRoot + L"\\f.c"),
                                  bstr(fx.newRoot + L"\\f.c"), &report) == S_OK &&
            report != nullptr && currentReport(L"\\f.c") == report,
        "dual", "compareMatchedFiles", L"");
  SysFreeString(report);
  report = nullptr;
  const HRESULT missing = dual->compareMatchedFiles(bstr(fx.oldRoot), bstr(fx.oldRoot + L"\\f.c"),
                                                    bstr(fx.newRoot + L"\\none.c"), &report);
  check(missing == static_cast<HRESULT>(0x800A0035), "dual", "error 53 as the HRESULT", L"");
  IErrorInfo* error = nullptr;
  BSTR description = nullptr;
  check(GetErrorInfo(0, &error) == S_OK && error != nullptr &&
            error->GetDescription(&description) == S_OK && description != nullptr &&
            std::wstring(description).find(L"none.c") != std::wstring::npos,
        "dual", "error information names the file", description != nullptr ? description : L"");
  SysFreeString(description);
  if (error != nullptr) error->Release();

  SafeArray lines({L"x", L" "});
  LONG blanks = 0;
  SAFEARRAY* array = lines.get();
  check(dual->calBlankLines(&array, &blanks) == S_OK && blanks == 1, "dual", "calBlankLines", L"");
  SHORT type = 1;
  BSTR counted = nullptr;
  check(dual->physicalCountOnly(bstr(fx.oldRoot), bstr(fx.oldRoot + L"\\f.c"), &type, &counted) ==
            S_OK,
        "dual", "physicalCountOnly", L"");
  SysFreeString(counted);
  dual->Release();
  object->Release();
}

// After the last release the DLL may go; after DllUnregisterServer the
// classes are unknown; DllRegisterServer brings them back.
void checkLifetimeAndRegistration(const Fixture& fx) {
  CoFreeUnusedLibrariesEx(0, 0);
  check(GetModuleHandleW(L"cvn_core.dll") == nullptr, "server", "unloaded after the last release",
        L"");

  HMODULE library = LoadLibraryW(fx.dll.c_str());
  if (!check(library != nullptr, "server", "LoadLibrary", fx.dll)) return;
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto entry = [&](const char* name) {
    // Through the generic function pointer type, as GetProcAddress's result must be.
    return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
  };
  const Entry unregisterServer = entry("DllUnregisterServer");
  const Entry registerServer = entry("DllRegisterServer");
  const Entry canUnload = entry("DllCanUnloadNow");
  if (check(unregisterServer != nullptr && registerServer != nullptr && canUnload != nullptr,
            "server", "exports", L"")) {
    check(canUnload() == S_OK, "server", "DllCanUnloadNow with nothing alive", L"");
    check(unregisterServer() == S_OK, "server", "DllUnregisterServer", L"");
    IDispatch* object = nullptr;
    const HRESULT gone = CoCreateInstance(CLSID_Corvane, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IDispatch, reinterpret_cast<void**>(&object));
    check(gone == REGDB_E_CLASSNOTREG, "server", "unregistered class", hex(gone));
    CLSID clsid{};
    check(FAILED(CLSIDFromProgID(L"CVN_Core.Corvane_old", &clsid)), "server",
          "unregistered programmatic identifier", L"");
    check(registryText(L"TypeLib\\" + guidString(LIBID_CVN_Core) + L"\\1.0", nullptr).empty(),
          "server", "type library unregistered", L"");
    check(unregisterServer() == S_OK, "server", "DllUnregisterServer twice", L"");
    check(registerServer() == S_OK, "server", "DllRegisterServer", L"");
    object = create(CLSID_Corvane_old);
    check(object != nullptr, "server", "created again after registering", L"");
    if (object != nullptr) {
      check(canUnload() == S_FALSE, "server", "DllCanUnloadNow with an object alive", L"");
      object->Release();
    }
  }
  FreeLibrary(library);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fwprintf(stderr, L"usage: com_client <tests\\data> <scratch folder> <cvn_core.dll>\n");
    return 2;
  }
  // Unbuffered, so that a crash still shows every check before it.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  Fixture fx{argv[1], argv[2], argv[3], std::wstring(argv[2]) + L"\\o",
             std::wstring(argv[2]) + L"\\n"};
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::fwprintf(stderr, L"CoInitializeEx failed\n");
    return 2;
  }
  CreateDirectoryW(fx.oldRoot.c_str(), nullptr);
  CreateDirectoryW(fx.newRoot.c_str(), nullptr);
  writeWholeFile(fx.oldRoot + L"\\f.c", kOldFile);
  writeWholeFile(fx.newRoot + L"\\f.c", kNewFile);

  CLSID clsid{};
  check(CLSIDFromProgID(L"CVN_Core.Corvane", &clsid) == S_OK && IsEqualGUID(clsid, CLSID_Corvane),
        "server", "CLSIDFromProgID CVN_Core.Corvane", L"");
  check(CLSIDFromProgID(L"CVN_Core.Corvane_old", &clsid) == S_OK &&
            IsEqualGUID(clsid, CLSID_Corvane_old),
        "server", "CLSIDFromProgID CVN_Core.Corvane_old", L"");
  checkRegistry();

  for (const bool legacy : {false, true}) {
    IDispatch* object = create(legacy ? CLSID_Corvane_old : CLSID_Corvane);
    const char* cls = legacy ? "Corvane_old" : "Corvane";
    if (!check(object != nullptr, cls, "CoCreateInstance", L"")) continue;
    IUnknown* other = nullptr;
    check(object->QueryInterface(legacy ? IID__Corvane : IID__Corvane_old,
                                 reinterpret_cast<void**>(&other)) == E_NOINTERFACE,
          cls, "only its own interface", L"");
    checkIdentifiers(object, legacy ? kCorvaneOldIds : kCorvaneIds, cls);
    checkTypeInfo(object, legacy ? IID__Corvane_old : IID__Corvane,
                  legacy ? kCorvaneOldIds : kCorvaneIds, cls);
    checkCommonMethods(object, fx, legacy);
    if (legacy) {
      checkCorvaneOldOnly(object, fx);
    } else {
      checkCorvaneOnly(object, fx);
    }
    object->Release();
  }
  checkDualInterfaces(fx);
  checkGoldenCases(fx);
  checkLifetimeAndRegistration(fx);

  CoUninitialize();
  return summary();
}
