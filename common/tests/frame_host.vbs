' A script host's view of the frame: creation by programmatic identifier,
' properties, by-reference outputs and an error passed to the caller.
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

Dim memory : Set memory = CreateObject("Sondrel.CMemoryStatus")
Check memory.MemoryLoad >= 0 And memory.MemoryLoad <= 100, "MemoryLoad within 0..100"
Check VarType(memory.TotalPhysical) = vbLong, "TotalPhysical is a Long"
Check memory.TotalVirtual <> 0, "TotalVirtual read"

Dim probe : Set probe = CreateObject("FrameProbe.FrameProbe")
Dim number, small, text
number = 21 : small = "4" : text = "ab"
probe.Twice number, small, text
Check number = 42 And VarType(number) = vbLong, "Long by-reference output reaches the script"
Check small = 8 And VarType(small) = vbInteger, "Integer by-reference output reaches the script"
Check text = "abab", "String by-reference output reaches the script"

Check probe.Defaulted() = "100 none", "missing optional arguments take their defaults"

On Error Resume Next
probe.FailToCaller 9, "Subscript out of range"
Check Err.Number = 9, "error passed to the caller keeps its number (got " & Err.Number & ")"
Check Err.Description = "Subscript out of range", "and its description"
Err.Clear
probe.FailToCaller -2147467259, "negative"
Check Err.Number = -2147467259, "a negative number stays negative (got " & Err.Number & ")"
On Error GoTo 0

If failures = 0 Then WScript.Echo "all script checks passed"
WScript.Echo "script ran to its end"
WScript.Quit failures
