' The golden cases through the dispatch interface: both trees of every case in
' golden\CASES.txt are listed with getFileList and compared with
' compareFileList; with the roots mapped to @OLD@/ and @NEW@/ and "\" to "/"
' the statements must equal the case's .sql file, which the Linux build
' produces through the C++ interface. Prints one line per mismatch, naming the
' case, and a closing "golden: N passed, N failed".
'
' Usage: cscript //nologo golden.vbs <tests\data folder> <scratch folder>
Option Explicit

Dim passed, failed, fso, golden
passed = 0
failed = 0

Sub Check(ok, what, detail)
  If VarType(ok) = vbBoolean Then
    If ok Then
      passed = passed + 1
      Exit Sub
    End If
  End If
  failed = failed + 1
  WScript.Echo "FAIL golden " & what & " [" & detail & "]"
End Sub

Function ReadText(path)
  Dim stream
  Set stream = fso.OpenTextFile(path, 1, False, 0)
  ReadText = stream.ReadAll
  stream.Close
End Function

' Where two texts part, with a little of each, so a mismatch can be read.
Function FirstDifference(actual, expected)
  Dim k, n
  n = Len(actual)
  If Len(expected) < n Then n = Len(expected)
  k = 1
  Do While k <= n
    If Mid(actual, k, 1) <> Mid(expected, k, 1) Then Exit Do
    k = k + 1
  Loop
  FirstDifference = "lengths " & Len(actual) & "/" & Len(expected) & ", first difference at " & k & _
                    ": got """ & Mid(actual, k, 80) & """ expected """ & Mid(expected, k, 80) & """"
End Function

' getFileList's list with vbCr turned into the "||" compareFileList takes.
Function ComparisonList(o, root, name)
  Dim list
  list = o.getFileList(root)
  Check list <> "1" And list <> "", name & ": getFileList of " & root, list
  ComparisonList = Replace(list, vbCr, "||")
End Function

Sub RunCase(words)
  Dim name, k, legacy, comment, beginMark, endMark, compareType, threshold, session
  Dim o, oldRoot, newRoot, oldList, newList, result, expected
  name = words(0) & " " & words(1)
  legacy = False
  comment = "" : beginMark = "" : endMark = "" : compareType = "" : threshold = 0 : session = 0
  k = 2
  Do While k <= UBound(words)
    Select Case words(k)
      Case "--legacy"
        legacy = True
        k = k - 1
      Case "--comment" : comment = words(k + 1)
      Case "--begin" : beginMark = words(k + 1)
      Case "--end" : endMark = words(k + 1)
      Case "--type" : compareType = words(k + 1)
      Case "--threshold" : threshold = CInt(words(k + 1))
      Case "--session" : session = CLng(words(k + 1))
      Case Else
        Check False, name & ": option", words(k)
    End Select
    k = k + 2
  Loop

  ' A failing call is reported under the case's name and the next case runs.
  On Error Resume Next
  Set o = Nothing
  If legacy Then
    Set o = CreateObject("CVN_Core.Corvane_old")
  Else
    Set o = CreateObject("CVN_Core.Corvane")
  End If
  oldRoot = golden & "\" & words(0) & "\old"
  newRoot = golden & "\" & words(0) & "\new"
  oldList = ComparisonList(o, oldRoot, name)
  newList = ComparisonList(o, newRoot, name)
  result = o.compareFileList(oldRoot, newRoot, oldList, newList, comment, threshold, 0, session, _
                             beginMark, endMark, compareType)
  result = Replace(result, oldRoot & "\", "@OLD@/")
  result = Replace(result, newRoot & "\", "@NEW@/")
  result = Replace(result, "\", "/")
  If Err.Number <> 0 Then
    Check False, name, "error " & Err.Number & ": " & Err.Description
    Exit Sub
  End If
  expected = ""
  expected = ReadText(golden & "\" & words(1))
  If result = expected And Len(expected) > 0 Then
    Check True, name, ""
  Else
    Check False, name, FirstDifference(result, expected)
  End If
End Sub

' A case line's words; runs of spaces and a trailing CR separate nothing.
' (No ReDim of a local array: it crashes Wine 8's VBScript.)
Function SplitWords(line)
  Dim text
  text = Trim(Replace(Replace(line, vbCr, ""), vbTab, " "))
  Do While InStr(text, "  ") > 0
    text = Replace(text, "  ", " ")
  Loop
  SplitWords = Split(text, " ")
End Function

If WScript.Arguments.Count <> 2 Then
  WScript.Echo "usage: golden.vbs <tests\data folder> <scratch folder>"
  WScript.Quit 2
End If
Set fso = CreateObject("Scripting.FileSystemObject")
golden = WScript.Arguments(0) & "\golden"

Dim lines, line, caseWords, cases
lines = Split(ReadText(golden & "\CASES.txt"), vbLf)
cases = 0
For Each line In lines
  caseWords = SplitWords(line)
  If UBound(caseWords) >= 1 Then
    cases = cases + 1
    RunCase caseWords
  End If
Next
Check cases > 0, "CASES.txt lists cases", cases

WScript.Echo "golden: " & passed & " passed, " & failed & " failed"
WScript.Quit failed
