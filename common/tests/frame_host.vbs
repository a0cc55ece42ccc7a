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

' Object and Variant variables by reference, and a let that takes its value by reference.
Dim other : Set other = CreateObject("FrameProbe.FrameProbe")
Dim target : Set target = probe
probe.ReplaceObject target, other
Check target Is other, "an object variable comes back replaced"
Dim anything : anything = 42
probe.Bracket anything
Check anything = "[42]", "a Variant variable comes back changed"
probe.Limit = 12
Check probe.Limit = 12, "a by-reference let takes a literal"
Dim limit : limit = "13"
probe.Limit = limit
Check probe.Limit = 13 And limit = "13", "a by-reference let takes a variable and leaves it as it was"

' A VBScript class object stands in for a host object: its names are found
' through IDispatchEx, since it answers GetIDsOfNames with E_NOTIMPL.
Class Shape
    Public Size
    Public Property Get Colour : Colour = "red" : End Property
End Class
Dim shape : Set shape = New Shape
shape.Size = 7
Check probe.ReadProperty(shape, "Size") = 7, "a script object's field is read by name"
Check probe.ReadProperty(shape, "colour") = "red", "a script object's property is read by name, any case"

On Error Resume Next
Call probe.ReadProperty(shape, "Weight")
Check Err.Number = 438, "a name the script object lacks is error 438 (got " & Err.Number & ")"
Err.Clear
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
