' Registration as a script host sees it. With "absent" (after regsvr32 /u)
' neither class can be created: Err 429. With "present" (after registering
' again) both are created and answer a call. Prints a closing
' "unregistered: N passed, N failed".
'
' Usage: cscript //nologo unregistered.vbs <tests\data folder> <scratch folder> absent|present
Option Explicit

Dim passed, failed
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
  WScript.Echo "FAIL " & what & " [" & detail & "]"
End Sub

Sub CheckAbsent(progId)
  On Error Resume Next
  Dim o, code
  Set o = Nothing
  Err.Clear
  Set o = CreateObject(progId)
  code = Err.Number
  Check code = 429, "CreateObject(""" & progId & """) after unregistering is error 429", code
  ' No TypeName(o) here: TypeName(Nothing) crashes Wine 8's VBScript.
  Check o Is Nothing, progId & " was not created", ""
End Sub

Sub CheckPresent(progId, scratch)
  On Error Resume Next
  Dim o, r, code
  Set o = Nothing
  Err.Clear
  Set o = CreateObject(progId)
  code = Err.Number
  Check code = 0 And Not (o Is Nothing), "CreateObject(""" & progId & """) after registering again", code
  r = Empty
  Err.Clear
  r = o.checkDirExists(scratch)
  code = Err.Number
  Check code = 0 And TypeName(r) = "Integer", progId & ".checkDirExists answers", code & " " & TypeName(r)
  If TypeName(r) = "Integer" Then Check r = 1, progId & ".checkDirExists of the scratch folder", r
End Sub

If WScript.Arguments.Count <> 3 Then
  WScript.Echo "usage: unregistered.vbs <tests\data folder> <scratch folder> absent|present"
  WScript.Quit 2
End If
Select Case WScript.Arguments(2)
  Case "absent"
    CheckAbsent "CVN_Core.Corvane"
    CheckAbsent "CVN_Core.Corvane_old"
  Case "present"
    CheckPresent "CVN_Core.Corvane", WScript.Arguments(1)
    CheckPresent "CVN_Core.Corvane_old", WScript.Arguments(1)
  Case Else
    Check False, "mode", WScript.Arguments(2)
End Select

WScript.Echo "unregistered: " & passed & " passed, " & failed & " failed"
WScript.Quit failed
