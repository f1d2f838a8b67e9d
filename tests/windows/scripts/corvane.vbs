' Drives both classes of cvn_core.dll from VBScript through late binding:
' every method, by-reference arguments (arrays and written-back texts) and
' errors as Err.Number. Prints one line per failed check and a closing
' "vbscript: N passed, N failed"; the exit code is the number of failures.
'
' Usage: cscript //nologo corvane.vbs <tests\data folder> <empty scratch folder>
'
' Wine 8's cscript reports neither uncaught errors nor syntax errors, so the
' body runs without On Error Resume Next (a stray error ends the script before
' the closing line) and only the sections that expect errors resume.
' Not in Wine 8's VBScript: ChrW, AscW, Join, Filter, Eval, GetRef, StdOut.
Option Explicit

Dim passed, failed, code, fso, scratch, pairRoot, oldRoot, newRoot, oldFile, newFile
passed = 0
failed = 0

Sub Check(ok, cls, what, detail)
  If VarType(ok) = vbBoolean Then
    If ok Then
      passed = passed + 1
      Exit Sub
    End If
  End If
  failed = failed + 1
  WScript.Echo "FAIL " & cls & ": " & what & " [" & detail & "]"
End Sub

' Equal value and equal subtype: "" is not Empty and 1 is not "1" here.
Function Same(actual, expected)
  On Error Resume Next
  Dim eq
  Same = False
  If TypeName(actual) <> TypeName(expected) Then Exit Function
  eq = False
  eq = (actual = expected)
  If Err.Number <> 0 Then Exit Function
  Same = eq
End Function

' A printable form of any value, for failure lines.
Function Show(v)
  On Error Resume Next
  Show = TypeName(v)
  Show = TypeName(v) & " " & Replace(Replace(CStr(v), vbCr, "\r"), vbTab, "\t")
End Function

Function ShowArray(a)
  On Error Resume Next
  Dim k, s
  s = ""
  For k = LBound(a) To UBound(a)
    s = s & "<" & Replace(a(k), vbTab, "\t") & ">"
  Next
  ShowArray = s
End Function

' True when the array holds exactly these texts, in order.
Function SameItems(a, expected)
  On Error Resume Next
  Dim k, ok
  SameItems = False
  If UBound(a) <> UBound(expected) Then Exit Function
  ok = True
  For k = 0 To UBound(expected)
    If Not Same(a(k), expected(k)) Then ok = False
  Next
  If Err.Number <> 0 Then Exit Function
  SameItems = ok
End Function

' Clears the result and the error before a call, so that a failed call cannot
' leave an earlier result behind.
Sub Fresh(result)
  result = Empty
  Err.Clear
End Sub

Sub WriteFile(path, text)
  Dim stream
  Set stream = fso.CreateTextFile(path, True, False)
  stream.Write text
  stream.Close
End Sub

Function FileCount(folder)
  FileCount = fso.GetFolder(folder).Files.Count
End Function

' The file pair of the C++ client's checks, so the expected results are the same.
Function OldText()
  OldText = "int a;" & vbCrLf & "// note" & vbCrLf & vbCrLf & "int b = 1;" & vbCrLf & _
            "/* block" & vbCrLf & "   more */" & vbCrLf & "return;" & vbCrLf
End Function

Function NewText()
  NewText = "int a;" & vbCrLf & "// note changed" & vbCrLf & vbCrLf & "int b = 2;" & vbCrLf & _
            "/* block" & vbCrLf & "   more */" & vbCrLf & "return 0;" & vbCrLf & "extra();" & vbCrLf
End Function

Function FileHead(legacy)
  FileHead = "insert into file_compare_results(sessionid, filename, newlines, deletedlines, " & _
             "samelines, commentlinesinold, changedlines, totallinesinold, totallinesinnew, " & _
             "commentlinesinnew, blanklinesinold, blanklinesinnew"
  If Not legacy Then
    FileHead = FileHead & ",samelines_comments,samelines_code,changedlines_comments," & _
               "changedlines_code,deletedlines_comments,deletedlines_code,newlines_comments," & _
               "newlines_code"
  End If
End Function

Function ExpectedStatements(legacy)
  Dim row
  If legacy Then
    row = "values (7,'f.c',2,1,4,3,2,3,4,3,1,1)|||"
  Else
    row = "values (7,'f.c',2,1,3,3,2,4,5,3,1,1,2,1,0,2,1,0,1,1)|||"
  End If
  ExpectedStatements = FileHead(legacy) & ") " & row & _
      "insert into dir_compare_results(sessionid, samefiles, deletedfiles, newfiles, oldpath, " & _
      "newpath) values (7,1,0,0,'" & oldRoot & "\','" & newRoot & "\')|||"
End Function

Function ExpectedReport(legacy)
  Dim r
  r = "samelines" & vbTab & "3" & vbCr
  If legacy Then r = "samelines" & vbTab & "4" & vbCr
  r = r & "changedlines" & vbTab & "2" & vbCr & "dellines" & vbTab & "1" & vbCr & _
      "newlines" & vbTab & "2" & vbCr & "commlinesOne" & vbTab & "3" & vbCr & _
      "commlinesTwo" & vbTab & "3" & vbCr & "totallinesOne" & vbTab & "3" & vbCr & _
      "totallinesTwo" & vbTab & "4"
  If Not legacy Then
    r = r & vbCr & "filename" & vbTab & "\f.c" & vbCr & "blanklinesOne" & vbTab & "1" & vbCr & _
        "blanklinesTwo" & vbTab & "1" & vbCr & "samelines commment" & vbTab & "2" & vbCr & _
        "samelines code" & vbTab & "1" & vbCr & "changedlines coment" & vbTab & "0" & vbCr & _
        "changedlines code" & vbTab & "2" & vbCr & "dellines comment" & vbTab & "1" & vbCr & _
        "dellines code" & vbTab & "0" & vbCr & "newlines comment" & vbTab & "1" & vbCr & _
        "newlines code" & vbTab & "1"
  End If
  ExpectedReport = r
End Function

' Listing, matching, existence tests.
Sub CheckFiles(o, cls)
  On Error Resume Next
  Dim r, e
  Fresh r
  r = o.getFileList(pairRoot)
  e = Err.Number
  Check e = 0 And Same(r, newFile & vbCr & oldFile), cls, "getFileList", Show(r) & " err " & e
  Fresh r
  r = o.getFileList(pairRoot & "\missing")
  e = Err.Number
  Check e = 0 And Same(r, "1"), cls, "getFileList of a missing folder", Show(r) & " err " & e

  Fresh r
  r = o.matchFiles(oldRoot, newRoot, oldFile, newFile)
  e = Err.Number
  Check e = 0 And Same(r, 1), cls, "matchFiles of counterparts", Show(r) & " err " & e
  Fresh r
  r = o.matchFiles(oldRoot, newRoot, oldFile, newRoot & "\g.c")
  e = Err.Number
  Check e = 0 And Same(r, 0), cls, "matchFiles of strangers", Show(r) & " err " & e

  Fresh r
  r = o.checkFileExists(oldFile)
  code = Err.Number
  Check code = 0 And Same(r, 1), cls, "checkFileExists", Show(r)
  Fresh r
  r = o.checkFileExists(oldRoot)
  code = Err.Number
  Check code = 0 And Same(r, 0), cls, "checkFileExists of a folder", Show(r)
  Fresh r
  r = o.checkFileExists(oldRoot & "\none.c")
  code = Err.Number
  Check code = 0 And Same(r, 0), cls, "checkFileExists of a missing file", Show(r)
  Fresh r
  r = o.checkDirExists(oldRoot)
  code = Err.Number
  Check code = 0 And Same(r, 1), cls, "checkDirExists", Show(r)
  Fresh r
  r = o.checkDirExists(oldFile)
  code = Err.Number
  Check code = 0 And Same(r, 0), cls, "checkDirExists of a file", Show(r)
  Fresh r
  r = o.checkDirExists(pairRoot & "\nowhere")
  code = Err.Number
  Check code = 0 And Same(r, 0), cls, "checkDirExists of a missing folder", Show(r)
End Sub

' The comparison of the pair, its report and its errors.
Sub CheckComparison(o, cls, legacy)
  On Error Resume Next
  Dim r, e
  Fresh r
  r = o.compareFileList(oldRoot, newRoot, oldFile, newFile, "//", 3, 0, 7, "/*", "*/", "2")
  e = Err.Number
  Check e = 0 And Same(r, ExpectedStatements(legacy)), cls, "compareFileList", Show(r) & " err " & e

  ' Uses the settings compareFileList left in the object.
  Fresh r
  r = o.compareMatchedFiles(oldRoot, oldFile, newFile)
  e = Err.Number
  Check e = 0 And Same(r, ExpectedReport(legacy)), cls, "compareMatchedFiles", Show(r) & " err " & e

  Fresh r
  r = o.compareMatchedFiles(oldRoot, oldFile, newRoot & "\no.c")
  e = Err.Number
  Check e = 53, cls, "a missing file is error 53", e & " " & Err.Description
  Check Err.Source = "CVN_Core." & cls, cls, "error source", Err.Source
  Check InStr(Err.Description, newRoot & "\no.c") > 0, cls, "the error names the file", Err.Description
  Fresh r
  r = o.compareMatchedFiles(oldRoot, oldFile, pairRoot & "\nowhere\no.c")
  e = Err.Number
  Check e = 76, cls, "a missing folder is error 76", e & " " & Err.Description

  ' 16-bit threshold, 32-bit session.
  Fresh r
  r = o.compareFileList(oldRoot, newRoot, oldFile, newFile, "//", 40000, 0, 7, "/*", "*/", "2")
  code = Err.Number
  Check code = 6, cls, "compareFileList threshold 40000 is error 6", code
  Fresh r
  r = o.compareFileList(oldRoot, newRoot, oldFile, newFile, "//", 3, 0, 3000000000, "/*", "*/", "2")
  code = Err.Number
  Check code = 6, cls, "compareFileList session 3000000000 is error 6", code
  Fresh r
  r = o.compareFileList(oldRoot, newRoot, oldFile, newFile, "//", "abc", 0, 7, "/*", "*/", "2")
  code = Err.Number
  Check code = 13, cls, "compareFileList threshold ""abc"" is error 13", code
End Sub

' The statement builders write the escaped texts back into the caller's variables.
Sub CheckStatementBuilders(o, cls, legacy)
  On Error Resume Next
  Dim r, a, b, c, d, f, g, h, i, k, l, a1, a2, b1, b2, c1, c2, d1, d2, ee
  a = 1 : b = 2 : c = 3 : d = 4 : ee = 5 : f = 6 : g = 7 : h = 8 : i = "it's.c" : k = 10 : l = 11
  a1 = 12 : a2 = 13 : b1 = 14 : b2 = 15 : c1 = 16 : c2 = 17 : d1 = 18 : d2 = 19
  Fresh r
  If legacy Then
    r = o.insertFileCompareResults(a, b, c, d, ee, f, g, h, i, k, l)
  Else
    r = o.insertFileCompareResults(a, b, c, d, ee, f, g, h, i, k, l, a1, a2, b1, b2, c1, c2, d1, d2)
  End If
  code = Err.Number
  Check code = 0 And Same(r, Empty), cls, "insertFileCompareResults", Show(r) & " err " & code
  Check Same(i, "it''s.c"), cls, "escaped name written back", Show(i)
  Check Same(a, 1) And Same(l, 11), cls, "counts left as they were", Show(a) & " " & Show(l)

  i = "a|||b.c"
  Fresh r
  If legacy Then
    r = o.insertFileCompareResults(a, b, c, d, ee, f, g, h, i, k, l)
  Else
    r = o.insertFileCompareResults(a, b, c, d, ee, f, g, h, i, k, l, a1, a2, b1, b2, c1, c2, d1, d2)
  End If
  code = Err.Number
  Check code = 5, cls, "a name holding ""|||"" is error 5", code
  Check Same(i, "a|||b.c"), cls, "a refused name stays", Show(i)

  i = "x.c" : c = "many"
  Fresh r
  If legacy Then
    r = o.insertFileCompareResults(a, b, c, d, ee, f, g, h, i, k, l)
  Else
    r = o.insertFileCompareResults(a, b, c, d, ee, f, g, h, i, k, l, a1, a2, b1, b2, c1, c2, d1, d2)
  End If
  code = Err.Number
  Check code = 13, cls, "a count ""many"" is error 13", code
  c = 3

  ' Each class takes only its own number of values.
  Fresh r
  If legacy Then
    r = o.insertFileCompareResults(a, b, c, d, ee, f, g, h, i, k, l, a1, a2, b1, b2, c1, c2, d1, d2)
  Else
    r = o.insertFileCompareResults(a, b, c, d, ee, f, g, h, i, k, l)
  End If
  code = Err.Number
  Check code = 450, cls, "insertFileCompareResults with the other class's arity is error 450", code

  Dim sameFiles, gone, added, oldPath, newPath
  sameFiles = 3 : gone = 0 : added = 1 : oldPath = "Z:\o'ld\" : newPath = "Z:\new's\"
  Fresh r
  r = o.insertDirCompareResults(sameFiles, gone, added, oldPath, newPath)
  code = Err.Number
  Check code = 0 And Same(r, Empty), cls, "insertDirCompareResults", Show(r) & " err " & code
  Check Same(oldPath, "Z:\o''ld\"), cls, "escaped old root written back", Show(oldPath)
  Check Same(newPath, "Z:\new''s\"), cls, "escaped new root written back", Show(newPath)
  Check Same(sameFiles, 3) And Same(added, 1), cls, "directory counts left as they were", Show(sameFiles)
  oldPath = "a|||b"
  Fresh r
  r = o.insertDirCompareResults(sameFiles, gone, added, oldPath, newPath)
  code = Err.Number
  Check code = 5, cls, "a root holding ""|||"" is error 5", code
  Fresh r
  r = o.insertDirCompareResults(sameFiles, gone, added, newPath)
  code = Err.Number
  Check code = 450, cls, "insertDirCompareResults with four values is error 450", code
End Sub

' Arrays by reference in the three forms a script makes them.
Sub CheckBlankLines(o, cls, legacy)
  On Error Resume Next
  Dim r, fixed(4), made, split1
  fixed(0) = "a" : fixed(1) = "  " : fixed(2) = vbTab : fixed(3) = "" : fixed(4) = " b "
  Fresh r
  r = o.calBlankLines(fixed)
  code = Err.Number
  Check code = 0 And Same(r, CLng(3)), cls, "calBlankLines of Dim a(4)", Show(r) & " err " & code
  If legacy Then
    Check SameItems(fixed, Array("a", "", "", "", "b")), cls, "Dim a(4) normalised", ShowArray(fixed)
  Else
    Check SameItems(fixed, Array("a", "  ", vbTab, "", " b ")), cls, "Dim a(4) left as is", ShowArray(fixed)
  End If

  made = Array(" " & vbTab & "x" & vbTab & "y ", "", "z", "   ")
  Fresh r
  r = o.calBlankLines(made)
  code = Err.Number
  Check code = 0 And Same(r, CLng(2)), cls, "calBlankLines of Array()", Show(r) & " err " & code
  If legacy Then
    Check SameItems(made, Array("xy", "", "z", "")), cls, "Array() normalised", ShowArray(made)
  Else
    Check SameItems(made, Array(" " & vbTab & "x" & vbTab & "y ", "", "z", "   ")), cls, _
          "Array() left as is", ShowArray(made)
  End If

  split1 = Split("p| |q" & vbTab & "|r|" & vbTab & vbTab, "|")
  Fresh r
  r = o.calBlankLines(split1)
  code = Err.Number
  Check code = 0 And Same(r, CLng(2)), cls, "calBlankLines of Split()", Show(r) & " err " & code
  If legacy Then
    Check SameItems(split1, Array("p", "", "q", "r", "")), cls, "Split() normalised", ShowArray(split1)
  Else
    Check SameItems(split1, Array("p", " ", "q" & vbTab, "r", vbTab & vbTab)), cls, _
          "Split() left as is", ShowArray(split1)
  End If

  Fresh r
  r = o.calBlankLines("not an array")
  code = Err.Number
  Check code = 13, cls, "calBlankLines of a text is error 13", code
End Sub

' No display: the Save dialog cannot open, so both calls cancel.
Sub CheckDialogs(o, cls)
  On Error Resume Next
  Dim r, initDir, title, owner, before
  initDir = scratch : title = "Save the report" : owner = 0
  Fresh r
  r = o.SaveAFile(initDir, "Text|*.txt", title, owner)
  code = Err.Number
  Check code = 0 And Same(r, ""), cls, "SaveAFile cancels", Show(r) & " err " & code
  Check Same(initDir, scratch) And Same(title, "Save the report") And Same(owner, 0), cls, _
        "SaveAFile leaves its in/out arguments", Show(initDir) & " " & Show(title) & " " & Show(owner)
  Fresh r
  r = o.SaveAFile(initDir)
  code = Err.Number
  Check code = 0 And Same(r, ""), cls, "SaveAFile without the optional arguments", Show(r) & " err " & code

  before = FileCount(scratch)
  Fresh r
  r = o.exportFile("top", "contents", "file", "rows")
  code = Err.Number
  Check code = 0 And Same(r, 0), cls, "exportFile cancels", Show(r) & " err " & code
  Check FileCount(scratch) = before, cls, "exportFile wrote nothing", FileCount(scratch) & " files"
End Sub

Sub CheckScanAndArguments(o, cls, legacy)
  On Error Resume Next
  Dim r, similar
  Fresh r
  r = o.scanDir(oldRoot, "1")
  code = Err.Number
  Check code = 0 And Same(r, Empty), cls, "scanDir format 1", Show(r) & " err " & code
  Fresh r
  r = o.scanDir(pairRoot, "2")
  code = Err.Number
  Check code = 0 And Same(r, Empty), cls, "scanDir format 2", Show(r) & " err " & code
  Fresh r
  r = o.scanDir(oldRoot, "")
  code = Err.Number
  Check code = 13, cls, "scanDir format """" is error 13", code
  Fresh r
  r = o.scanDir(oldRoot, "text")
  code = Err.Number
  Check code = 13, cls, "scanDir format ""text"" is error 13", code
  Fresh r
  r = o.scanDir(pairRoot & "\nowhere", "1")
  code = Err.Number
  Check code = 76, cls, "scanDir of a missing folder is error 76", code

  similar = -1
  If legacy Then similar = 1
  Fresh r
  r = o.determineChangedLine("int x = 1;", "int x = 2;", 3)
  code = Err.Number
  Check code = 0 And Same(r, similar), cls, "determineChangedLine of similar lines", Show(r) & " err " & code
  Fresh r
  r = o.determineChangedLine("abc", "xyz", 3)
  code = Err.Number
  Check code = 0 And Same(r, 0), cls, "determineChangedLine of different lines", Show(r) & " err " & code
  Fresh r
  r = o.determineChangedLine("a", "b", "x")
  code = Err.Number
  Check code = 13, cls, "a text for a 16-bit number is error 13", code
  Fresh r
  r = o.determineChangedLine("a", "b", 40000)
  code = Err.Number
  Check code = 6, cls, "40000 for a 16-bit number is error 6", code
  Fresh r
  r = o.determineChangedLine("a")
  code = Err.Number
  Check code = 450, cls, "too few arguments is error 450", code
  Fresh r
  r = o.determineChangedLine("a", "b", 3, 4)
  code = Err.Number
  Check code = 450, cls, "too many arguments is error 450", code
  Fresh r
  r = o.noSuchMethod("a")
  code = Err.Number
  Check code = 438, cls, "an unknown method is error 438", code
End Sub

Sub CheckCorvaneOnly(o)
  On Error Resume Next
  Dim r, fileType
  Fresh r
  r = o.determineChangedLine_old("int x = 1;", "int x = 2;", 3)
  code = Err.Number
  Check code = 0 And Same(r, 1), "Corvane", "determineChangedLine_old of similar lines", Show(r) & " err " & code
  Fresh r
  r = o.determineChangedLine_old("abc", "xyz", 3)
  code = Err.Number
  Check code = 0 And Same(r, 0), "Corvane", "determineChangedLine_old of different lines", Show(r) & " err " & code

  fileType = 2
  Fresh r
  r = o.physicalCountOnly(oldRoot, oldFile, fileType)
  code = Err.Number
  Check code = 0 And Same(r, ""), "Corvane", "physicalCountOnly", Show(r) & " err " & code
  Check Same(fileType, 2), "Corvane", "physicalCountOnly leaves ifileType", Show(fileType)
  fileType = 40000
  Fresh r
  r = o.physicalCountOnly(oldRoot, oldFile, fileType)
  code = Err.Number
  Check code = 6, "Corvane", "ifileType 40000 is error 6", code
  fileType = "abc"
  Fresh r
  r = o.physicalCountOnly(oldRoot, oldFile, fileType)
  code = Err.Number
  Check code = 13, "Corvane", "ifileType ""abc"" is error 13", code
  fileType = 1
  Fresh r
  r = o.physicalCountOnly(oldRoot, oldRoot & "\none.c", fileType)
  code = Err.Number
  Check code = 53, "Corvane", "physicalCountOnly of a missing file is error 53", code
End Sub

Sub CheckCorvaneOldOnly(o)
  On Error Resume Next
  Dim r
  Fresh r
  r = o.physicalCountOnly(oldRoot, oldFile)
  code = Err.Number
  Check code = 0 And Same(r, ""), "Corvane_old", "physicalCountOnly", Show(r) & " err " & code
  Fresh r
  r = o.physicalCountOnly(oldRoot, oldFile, 2)
  code = Err.Number
  Check code = 450, "Corvane_old", "physicalCountOnly takes no ifileType", code
  Fresh r
  r = o.physicalCountOnly(oldRoot, oldRoot & "\none.c")
  code = Err.Number
  Check code = 53, "Corvane_old", "physicalCountOnly of a missing file is error 53", code
  Fresh r
  r = o.determineChangedLine_old("a", "b", 3)
  code = Err.Number
  Check code = 438, "Corvane_old", "no determineChangedLine_old", code
End Sub

Sub CheckClass(cls, legacy)
  On Error Resume Next
  Dim o
  Set o = Nothing
  Err.Clear
  Set o = CreateObject("CVN_Core." & cls)
  code = Err.Number
  Check code = 0 And Not (o Is Nothing), cls, "CreateObject", code & " " & Err.Description
  If o Is Nothing Then Exit Sub
  On Error GoTo 0
  CheckFiles o, cls
  CheckComparison o, cls, legacy
  CheckStatementBuilders o, cls, legacy
  CheckBlankLines o, cls, legacy
  CheckDialogs o, cls
  CheckScanAndArguments o, cls, legacy
  If legacy Then
    CheckCorvaneOldOnly o
  Else
    CheckCorvaneOnly o
  End If
End Sub

If WScript.Arguments.Count <> 2 Then
  WScript.Echo "usage: corvane.vbs <tests\data folder> <scratch folder>"
  WScript.Quit 2
End If
Set fso = CreateObject("Scripting.FileSystemObject")
scratch = WScript.Arguments(1)
pairRoot = scratch & "\vbs"
oldRoot = pairRoot & "\o"
newRoot = pairRoot & "\n"
oldFile = oldRoot & "\f.c"
newFile = newRoot & "\f.c"
fso.CreateFolder pairRoot
fso.CreateFolder oldRoot
fso.CreateFolder newRoot
WriteFile oldFile, OldText()
WriteFile newFile, NewText()

CheckClass "Corvane", False
CheckClass "Corvane_old", True

WScript.Echo "vbscript: " & passed & " passed, " & failed & " failed"
WScript.Quit failed
