// Drives both classes of cvn_core.dll from JScript through late binding:
// every method, by-value arguments where VBScript passes references, and
// errors as e.number. Prints one line per failed check and a closing
// "jscript: N passed, N failed"; the exit code is the number of failures.
//
// Usage: cscript //nologo corvane.js <tests\data folder> <empty scratch folder>
//
// JScript passes every argument by value, so nothing is written back into the
// caller's variables here; corvane.vbs checks that side.

var passed = 0, failed = 0;
var fso, scratch, pairRoot, oldRoot, newRoot, oldFile, newFile;

function check(ok, cls, what, detail) {
  if (ok === true) {
    passed++;
  } else {
    failed++;
    WScript.Echo("FAIL " + cls + ": " + what + " [" + detail + "]");
  }
}

function show(v) {
  if (typeof v === "string") return "string " + v.replace(/\r/g, "\\r").replace(/\t/g, "\\t");
  return typeof v + " " + v;
}

// Runs f and keeps its result or its error number (as an unsigned HRESULT).
function attempt(f) {
  try {
    return { value: f(), number: 0 };
  } catch (e) {
    return { value: undefined, number: e.number >>> 0, description: e.description };
  }
}

// An error the component raised: facility control with the classic number.
function isClassic(result, number) {
  return result.number === ((0x800A0000 | number) >>> 0);
}

// Argument errors come from IDispatch::Invoke as DISP_E_ codes. The engine
// may show the classic number instead; Wine 8's JScript passes the code on.
var DISP_E_TYPEMISMATCH = 0x80020005, DISP_E_OVERFLOW = 0x8002000A, DISP_E_BADPARAMCOUNT = 0x8002000E;
function isArgumentError(result, number, dispCode) {
  return isClassic(result, number) || result.number === dispCode;
}

function writeFile(path, text) {
  var stream = fso.CreateTextFile(path, true, false);
  stream.Write(text);
  stream.Close();
}

// The file pair of the C++ client's checks, so the expected results are the same.
var oldText = "int a;\r\n// note\r\n\r\nint b = 1;\r\n/* block\r\n   more */\r\nreturn;\r\n";
var newText = "int a;\r\n// note changed\r\n\r\nint b = 2;\r\n/* block\r\n   more */\r\nreturn 0;\r\nextra();\r\n";

function expectedStatements(legacy) {
  var head = "insert into file_compare_results(sessionid, filename, newlines, deletedlines, " +
             "samelines, commentlinesinold, changedlines, totallinesinold, totallinesinnew, " +
             "commentlinesinnew, blanklinesinold, blanklinesinnew";
  if (!legacy) {
    head += ",samelines_comments,samelines_code,changedlines_comments,changedlines_code," +
            "deletedlines_comments,deletedlines_code,newlines_comments,newlines_code";
  }
  var row = legacy ? "values (7,'f.c',2,1,4,3,2,3,4,3,1,1)|||"
                   : "values (7,'f.c',2,1,3,3,2,4,5,3,1,1,2,1,0,2,1,0,1,1)|||";
  return head + ") " + row +
         "insert into dir_compare_results(sessionid, samefiles, deletedfiles, newfiles, oldpath, " +
         "newpath) values (7,1,0,0,'" + oldRoot + "\\','" + newRoot + "\\')|||";
}

function expectedReport(legacy) {
  var entries = [["samelines", legacy ? 4 : 3], ["changedlines", 2], ["dellines", 1],
                 ["newlines", 2], ["commlinesOne", 3], ["commlinesTwo", 3],
                 ["totallinesOne", 3], ["totallinesTwo", 4]];
  if (!legacy) {
    entries = entries.concat([["filename", "\\f.c"], ["blanklinesOne", 1], ["blanklinesTwo", 1],
                              ["samelines commment", 2], ["samelines code", 1],
                              ["changedlines coment", 0], ["changedlines code", 2],
                              ["dellines comment", 1], ["dellines code", 0],
                              ["newlines comment", 1], ["newlines code", 1]]);
  }
  var lines = [];
  for (var k = 0; k < entries.length; k++) lines.push(entries[k][0] + "\t" + entries[k][1]);
  return lines.join("\r");
}

function checkFiles(o, cls) {
  var r = attempt(function () { return o.getFileList(pairRoot); });
  check(r.number === 0 && r.value === newFile + "\r" + oldFile, cls, "getFileList", show(r.value));
  r = attempt(function () { return o.getFileList(pairRoot + "\\missing"); });
  check(r.value === "1", cls, "getFileList of a missing folder", show(r.value));
  r = attempt(function () { return o.matchFiles(oldRoot, newRoot, oldFile, newFile); });
  check(r.value === 1, cls, "matchFiles of counterparts", show(r.value));
  r = attempt(function () { return o.matchFiles(oldRoot, newRoot, oldFile, newRoot + "\\g.c"); });
  check(r.number === 0 && r.value === 0, cls, "matchFiles of strangers", show(r.value));
  r = attempt(function () { return o.checkFileExists(oldFile); });
  check(r.value === 1, cls, "checkFileExists", show(r.value));
  r = attempt(function () { return o.checkFileExists(oldRoot); });
  check(r.number === 0 && r.value === 0, cls, "checkFileExists of a folder", show(r.value));
  r = attempt(function () { return o.checkDirExists(oldRoot); });
  check(r.value === 1, cls, "checkDirExists", show(r.value));
  r = attempt(function () { return o.checkDirExists(oldFile); });
  check(r.number === 0 && r.value === 0, cls, "checkDirExists of a file", show(r.value));
}

function checkComparison(o, cls, legacy) {
  var r = attempt(function () {
    return o.compareFileList(oldRoot, newRoot, oldFile, newFile, "//", 3, 0, 7, "/*", "*/", "2");
  });
  check(r.number === 0 && r.value === expectedStatements(legacy), cls, "compareFileList",
        show(r.value) + " " + r.number);
  r = attempt(function () { return o.compareMatchedFiles(oldRoot, oldFile, newFile); });
  check(r.number === 0 && r.value === expectedReport(legacy), cls, "compareMatchedFiles", show(r.value));

  r = attempt(function () { return o.compareMatchedFiles(oldRoot, oldFile, newRoot + "\\no.c"); });
  check(isClassic(r, 53), cls, "a missing file is error 53", r.number.toString(16));
  check((r.number & 0xFFFF) === 53, cls, "e.number & 0xFFFF", r.number & 0xFFFF);
  check(typeof r.description === "string" && r.description.indexOf(newRoot + "\\no.c") >= 0, cls,
        "the error names the file", r.description);
  r = attempt(function () {
    return o.compareMatchedFiles(oldRoot, oldFile, pairRoot + "\\nowhere\\no.c");
  });
  check(isClassic(r, 76), cls, "a missing folder is error 76", r.number.toString(16));

  // JScript numbers outside 32 bits travel as doubles.
  r = attempt(function () {
    return o.compareFileList(oldRoot, newRoot, oldFile, newFile, "//", 40000, 0, 7, "/*", "*/", "2");
  });
  check(isArgumentError(r, 6, DISP_E_OVERFLOW), cls, "threshold 40000 overflows", r.number.toString(16));
  r = attempt(function () {
    return o.compareFileList(oldRoot, newRoot, oldFile, newFile, "//", 3, 0, 3000000000, "/*", "*/", "2");
  });
  check(isArgumentError(r, 6, DISP_E_OVERFLOW), cls, "session 3000000000 overflows", r.number.toString(16));
}

function checkStatementBuilders(o, cls, legacy) {
  var values = [];
  for (var k = 0; k < (legacy ? 11 : 19); k++) values.push(k + 1);
  values[8] = "it's.c";
  // COM methods have no apply(): spell the calls out.
  var insertFile = function (v) {
    if (v.length === 11) {
      return o.insertFileCompareResults(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
    }
    return o.insertFileCompareResults(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10],
                                      v[11], v[12], v[13], v[14], v[15], v[16], v[17], v[18]);
  };
  var r = attempt(function () { return insertFile(values); });
  check(r.number === 0 && r.value === undefined, cls, "insertFileCompareResults by value",
        r.number.toString(16) + " " + r.description);

  values[8] = "a|||b.c";
  r = attempt(function () { return insertFile(values); });
  check(isClassic(r, 5), cls, "a name holding \"|||\" is error 5", r.number.toString(16));
  values[8] = "x.c";
  values[2] = 1.5;
  r = attempt(function () { return insertFile(values); });
  check(isClassic(r, 13), cls, "a count 1.5 is error 13", r.number.toString(16));
  values[2] = null;
  r = attempt(function () { return insertFile(values); });
  check(isClassic(r, 13), cls, "a null count is error 13", r.number.toString(16));
  values[2] = 3;

  var other = [];
  for (k = 0; k < (legacy ? 19 : 11); k++) other.push(1);
  other[8] = "x.c";
  r = attempt(function () { return insertFile(other); });
  check(isArgumentError(r, 450, DISP_E_BADPARAMCOUNT), cls,
        "insertFileCompareResults with the other class's arity", r.number.toString(16));

  r = attempt(function () { return o.insertDirCompareResults(3, 0, 1, "Z:\\o'ld\\", "Z:\\new\\"); });
  check(r.number === 0 && r.value === undefined, cls, "insertDirCompareResults by value", r.number.toString(16));
  r = attempt(function () { return o.insertDirCompareResults(3, 0, 1, "a|||b", "Z:\\new\\"); });
  check(isClassic(r, 5), cls, "a root holding \"|||\" is error 5", r.number.toString(16));
}

function checkBlankLines(o, cls) {
  // A JScript array is an object, not a SAFEARRAY.
  var r = attempt(function () { return o.calBlankLines(["a", "", "  "]); });
  check(isArgumentError(r, 13, DISP_E_TYPEMISMATCH), cls, "calBlankLines of a JScript array",
        r.number.toString(16) + " " + show(r.value));
  r = attempt(function () { return o.calBlankLines("a"); });
  check(isArgumentError(r, 13, DISP_E_TYPEMISMATCH), cls, "calBlankLines of a text",
        r.number.toString(16));
}

function countFiles(folder) {
  return fso.GetFolder(folder).Files.Count;
}

function checkDialogs(o, cls) {
  var r = attempt(function () { return o.SaveAFile(scratch, "Text|*.txt", "Save the report", 0); });
  check(r.number === 0 && r.value === "", cls, "SaveAFile cancels", show(r.value) + " " + r.number);
  r = attempt(function () { return o.SaveAFile(scratch); });
  check(r.number === 0 && r.value === "", cls, "SaveAFile without the optional arguments", show(r.value));
  var before = countFiles(scratch);
  r = attempt(function () { return o.exportFile("top", "contents", "file", "rows"); });
  check(r.number === 0 && r.value === 0, cls, "exportFile cancels", show(r.value) + " " + r.number);
  check(countFiles(scratch) === before, cls, "exportFile wrote nothing", countFiles(scratch));
}

function checkScanAndArguments(o, cls, legacy) {
  var r = attempt(function () { return o.scanDir(oldRoot, "1"); });
  check(r.number === 0 && r.value === undefined, cls, "scanDir format 1", r.number.toString(16));
  r = attempt(function () { return o.scanDir(pairRoot, "2"); });
  check(r.number === 0 && r.value === undefined, cls, "scanDir format 2", r.number.toString(16));
  r = attempt(function () { return o.scanDir(oldRoot, ""); });
  check(isClassic(r, 13), cls, "scanDir format \"\" is error 13", r.number.toString(16));
  r = attempt(function () { return o.scanDir(oldRoot, 2); });
  check(r.number === 0, cls, "scanDir format as the number 2", r.number.toString(16));
  r = attempt(function () { return o.scanDir(pairRoot + "\\nowhere", "1"); });
  check(isClassic(r, 76), cls, "scanDir of a missing folder is error 76", r.number.toString(16));

  r = attempt(function () { return o.determineChangedLine("int x = 1;", "int x = 2;", 3); });
  check(r.number === 0 && r.value === (legacy ? 1 : -1), cls, "determineChangedLine of similar lines",
        show(r.value));
  r = attempt(function () { return o.determineChangedLine("abc", "xyz", 3); });
  check(r.number === 0 && r.value === 0, cls, "determineChangedLine of different lines", show(r.value));
  r = attempt(function () { return o.determineChangedLine("a", "b", "x"); });
  check(isArgumentError(r, 13, DISP_E_TYPEMISMATCH), cls, "a text for a 16-bit number",
        r.number.toString(16));
  r = attempt(function () { return o.determineChangedLine("a", "b", 40000); });
  check(isArgumentError(r, 6, DISP_E_OVERFLOW), cls, "40000 for a 16-bit number", r.number.toString(16));
  r = attempt(function () { return o.determineChangedLine("a"); });
  check(isArgumentError(r, 450, DISP_E_BADPARAMCOUNT), cls, "too few arguments", r.number.toString(16));
  r = attempt(function () { return o.noSuchMethod("a"); });
  check(isClassic(r, 438), cls, "an unknown method is error 438", r.number.toString(16));
}

function checkCorvaneOnly(o) {
  var r = attempt(function () { return o.determineChangedLine_old("int x = 1;", "int x = 2;", 3); });
  check(r.number === 0 && r.value === 1, "Corvane", "determineChangedLine_old of similar lines", show(r.value));
  r = attempt(function () { return o.determineChangedLine_old("abc", "xyz", 3); });
  check(r.number === 0 && r.value === 0, "Corvane", "determineChangedLine_old of different lines", show(r.value));
  r = attempt(function () { return o.physicalCountOnly(oldRoot, oldFile, 2); });
  check(r.number === 0 && r.value === "", "Corvane", "physicalCountOnly", show(r.value) + " " + r.number);
  r = attempt(function () { return o.physicalCountOnly(oldRoot, oldFile, 40000); });
  check(isArgumentError(r, 6, DISP_E_OVERFLOW), "Corvane", "ifileType 40000", r.number.toString(16));
  r = attempt(function () { return o.physicalCountOnly(oldRoot, oldRoot + "\\none.c", 1); });
  check(isClassic(r, 53), "Corvane", "physicalCountOnly of a missing file is error 53", r.number.toString(16));
}

function checkCorvaneOldOnly(o) {
  var r = attempt(function () { return o.physicalCountOnly(oldRoot, oldFile); });
  check(r.number === 0 && r.value === "", "Corvane_old", "physicalCountOnly", show(r.value) + " " + r.number);
  r = attempt(function () { return o.physicalCountOnly(oldRoot, oldFile, 2); });
  check(isArgumentError(r, 450, DISP_E_BADPARAMCOUNT), "Corvane_old", "physicalCountOnly takes no ifileType",
        r.number.toString(16));
  r = attempt(function () { return o.determineChangedLine_old("a", "b", 3); });
  check(isClassic(r, 438), "Corvane_old", "no determineChangedLine_old", r.number.toString(16));
}

function checkClass(cls, legacy) {
  var created = attempt(function () { return new ActiveXObject("CVN_Core." + cls); });
  check(created.number === 0 && typeof created.value === "object", cls, "new ActiveXObject",
        created.number.toString(16));
  if (created.number !== 0) return;
  var o = created.value;
  checkFiles(o, cls);
  checkComparison(o, cls, legacy);
  checkStatementBuilders(o, cls, legacy);
  checkBlankLines(o, cls);
  checkDialogs(o, cls);
  checkScanAndArguments(o, cls, legacy);
  if (legacy) {
    checkCorvaneOldOnly(o);
  } else {
    checkCorvaneOnly(o);
  }
}

if (WScript.Arguments.length !== 2) {
  WScript.Echo("usage: corvane.js <tests\\data folder> <scratch folder>");
  WScript.Quit(2);
}
fso = new ActiveXObject("Scripting.FileSystemObject");
scratch = WScript.Arguments(1);
pairRoot = scratch + "\\js";
oldRoot = pairRoot + "\\o";
newRoot = pairRoot + "\\n";
oldFile = oldRoot + "\\f.c";
newFile = newRoot + "\\f.c";
fso.CreateFolder(pairRoot);
fso.CreateFolder(oldRoot);
fso.CreateFolder(newRoot);
writeFile(oldFile, oldText);
writeFile(newFile, newText);

checkClass("Corvane", false);
checkClass("Corvane_old", true);

WScript.Echo("jscript: " + passed + " passed, " + failed + " failed");
WScript.Quit(failed);
