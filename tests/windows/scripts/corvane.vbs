' Both classes from VBScript through late binding: texts written back into the caller's
' variables, arrays made with Dim (an element left unset included), the component's errors as
' Err.Number, and the golden cases, whose statements must equal the .sql files with "\" for "/".
' Prints each failed check and a closing "vbscript: N passed, N failed".
'
' Usage: cscript //nologo corvane.vbs <tests\data folder> <scratch folder>
' Wine 8's VBScript lacks ChrW, AscW, Join, Filter, Eval, GetRef and StdOut, and crashes on a
' ReDim of a local array. An error nobody expects ends the script before its closing line.
Option Explicit
Dim passed, failed, fso
passed = 0
failed = 0
Set fso = CreateObject("Scripting.FileSystemObject")

Sub Check(ok, what, detail)
  If VarType(ok) = vbBoolean Then
    If ok Then
      passed = passed + 1
      Exit Sub
    End If
  End If
  failed = failed + 1
  WScript.Echo "FAIL " & what & " [" & detail & "]"
End Sub

Function ReadText(path)
  ReadText = fso.OpenTextFile(path, 1, False, 0).ReadAll
End Function

Sub CheckClass(cls, legacy, scratch)
  Dim o, r, a, b, c, d, e, lines(4)
  Set o = CreateObject("CVN_Core." & cls)
  a = 3 : b = 0 : c = 1 : d = "Z:\o'ld\" : e = "Z:\n'ew\"
  o.insertDirCompareResults a, b, c, d, e
  Check d = "Z:\o''ld\" And e = "Z:\n''ew\" And a = 3, cls & ": roots escaped in place", d & " " & e

  lines(0) = " x" : lines(1) = "" : lines(2) = vbTab : lines(3) = "y"  ' lines(4) never assigned
  r = o.calBlankLines(lines)
  Check r = 3, cls & ": calBlankLines of Dim lines(4)", r
  If legacy Then
    Check lines(0) = "x" And lines(2) = "", cls & ": lines normalised in place", lines(0)
  Else
    Check lines(0) = " x" And lines(2) = vbTab, cls & ": lines left as they were", lines(0)
  End If

  On Error Resume Next
  r = o.compareMatchedFiles(scratch, scratch & "\none.c", scratch & "\none.c")
  Check Err.Number = 53 And Err.Source = "CVN_Core." & cls, cls & ": a missing file", Err.Number & " " & Err.Source
  Check InStr(Err.Description, scratch & "\none.c") > 0, cls & ": the error names the file", Err.Description
  Err.Clear
  d = "a|||b"
  o.insertDirCompareResults a, b, c, d, e
  Check Err.Number = 5, cls & ": a root holding |||", Err.Number
  Err.Clear
  r = o.determineChangedLine("a", "b", 40000)
  Check Err.Number = 6, cls & ": 40000 for a 16-bit number", Err.Number
  On Error GoTo 0
End Sub

' Every case of CASES.txt: "<folder> <file.sql> --option value ... [--legacy]".
Sub CheckGoldenCases(golden)
  Dim line, w, k, legacy, opt, o, oldRoot, newRoot, result, expected, cases
  cases = 0
  For Each line In Split(Replace(ReadText(golden & "\CASES.txt"), vbCr, ""), vbLf)
    w = Split(line, " ")
    If UBound(w) >= 1 Then
      Set opt = CreateObject("Scripting.Dictionary")
      legacy = False
      k = 2
      Do While k <= UBound(w)
        If w(k) = "--legacy" Then
          legacy = True
          k = k + 1
        Else
          opt(w(k)) = w(k + 1)
          k = k + 2
        End If
      Loop
      If legacy Then Set o = CreateObject("CVN_Core.Corvane_old") Else Set o = CreateObject("CVN_Core.Corvane")
      oldRoot = golden & "\" & w(0) & "\old"
      newRoot = golden & "\" & w(0) & "\new"
      result = o.compareFileList(oldRoot, newRoot, Replace(o.getFileList(oldRoot), vbCr, "||"), _
          Replace(o.getFileList(newRoot), vbCr, "||"), opt("--comment"), CInt(opt("--threshold")), 0, _
          CLng(opt("--session")), opt("--begin"), opt("--end"), opt("--type"))
      expected = Replace(Replace(ReadText(golden & "\" & w(1)), "@OLD@", oldRoot), "@NEW@", newRoot)
      Check result = Replace(expected, "/", "\"), w(1), Len(result) & " characters, expected " & Len(expected)
      cases = cases + 1
    End If
  Next
  Check cases = 24, "CASES.txt", cases
End Sub

CheckClass "Corvane", False, WScript.Arguments(1)
CheckClass "Corvane_old", True, WScript.Arguments(1)
CheckGoldenCases WScript.Arguments(0) & "\golden"
WScript.Echo "vbscript: " & passed & " passed, " & failed & " failed"
WScript.Quit failed
