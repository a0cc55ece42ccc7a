' A script host's view of Lanthor.GetWindowsInformation and Lanthor.CDictionary:
' late-bound members, by-reference arguments written back into script variables,
' and errors reaching the script. Nothing here may show a message box.
Option Explicit
Dim failures : failures = 0
Sub Check(condition, what)
    If condition Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

Const HKCU = &H80000001
Dim shell : Set shell = CreateObject("WScript.Shell")
' Wine's WScript.Shell has no RegDelete: reg.exe of the same architecture removes what the script wrote.
Sub RegDelete(key, value)
    shell.Run "reg delete """ & key & """ " & value & " /f", 0, True
End Sub
Dim info : Set info = CreateObject("Lanthor.GetWindowsInformation")

Dim os : os = info.getwinOS()
Check VarType(os) = vbString And os = UCase(os), "getwinOS is an upper-case string: '" & os & "'"
Check Len(info.UserName) > 0, "UserName: " & info.UserName

shell.RegWrite "HKCU\Software\LanthorScriptTests\text", "from a script", "REG_SZ"
shell.RegWrite "HKCU\Software\LanthorScriptTests\number", 26, "REG_DWORD"
Dim keyName : keyName = "Software\LanthorScriptTests"
Dim value : value = "before"
Check info.GetKeyValue(HKCU, keyName, "text", value) = True And value = "from a script", _
      "GetKeyValue writes the text into the script's variable"
Check info.GetKeyValue(HKCU, keyName, "number", value) = True And value = "&h1A", _
      "a number value reads as &h and its hex digits: " & value
Check info.GetKeyValue(HKCU, keyName, "missing", value) = False And value = "", "a missing value: False and empty"
Check keyName = "Software\LanthorScriptTests", "the key name stays as it was"
On Error Resume Next
info.GetKeyValue HKCU, keyName, Null, value
Check Err.Number = 13, "a Null value name is a type mismatch (got " & Err.Number & ")"
Err.Clear
info.HideApp 0
info.ShowApp 0
Check Err.Number = 0, "HideApp and ShowApp of window 0 do nothing"
Err.Clear
On Error GoTo 0
RegDelete "HKCU\Software\LanthorScriptTests", ""

' StartSysInfo with the tool's registry entry naming a program that ends at once.
Dim quickProgram : quickProgram = CreateObject("Scripting.FileSystemObject").GetSpecialFolder(1).Path & "\hostname.exe"
shell.RegWrite "HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO\PATH", quickProgram, "REG_SZ"
info.StartSysInfo
RegDelete "HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO", "/v PATH"
Check True, "StartSysInfo started the program its entry names"

Dim d : Set d = CreateObject("Lanthor.CDictionary")
Check d.CompareMode = 1 And d.Count = 0, "a new CDictionary: binary mode, empty"
d.Add "b", 1
d.Add "A", 2
d.Add "a", 3
Dim byKey : byKey = True
d.SortDictionary byKey
Dim keys : keys = d.Keys
Check keys(0) = "A" And keys(1) = "a" And keys(2) = "b", "sorted by keys: A a b"
Check byKey = True, "fKey is not written"
Dim items : items = d.Items
Check d.Item("a") = 3 And items(0) = 2, "items follow their keys"
Check d.Exists("a") And Not d.Exists("B"), "binary Exists on a filled dictionary"
d.CompareMode = 2
Check d.Exists("B") And d.Exists("a"), "text Exists ignores case"
d.CompareMode = 7
Check d.CompareMode = 7 And Not d.Exists("a"), "another mode is stored and finds nothing"
d.CompareMode = 1
d.SortDictionary False
keys = d.Keys
Check keys(0) = "b" And keys(1) = "A" And keys(2) = "a", "sorted by items: b A a"
Dim inner : Set inner = d.Dictionary
inner.Add "direct", 4
Check d.Count = 4, "the inner dictionary is the one the class uses"
Dim holder : Set holder = CreateObject("Scripting.Dictionary")
d.Add "object", holder
Check IsObject(d.Item("object")), "an object item comes back as an object"
d.Remove "A"
Check d.Count = 4 And Not d.Exists("A"), "Remove"
d.RemoveAll
Check d.Count = 0, "RemoveAll"

WScript.Echo "script ran to its end"
WScript.Quit failures
