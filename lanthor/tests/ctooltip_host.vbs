' A script host's view of Lanthor.CToolTip: every member by name, the values
' a script passes, and Create, Destroy and the lets in every order.
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

Dim tip : Set tip = CreateObject("Lanthor.CToolTip")
Check tip.DelayTime = 500 And tip.VisibleTime = 5000, "DelayTime and VisibleTime start at 500 and 5000"
Check tip.Style = 0 And tip.Icon = 0 And tip.Centered = False, "Style, Icon and Centered start at 0, 0, False"
Check tip.BackColor = 0 And tip.ForeColor = 0, "colours start at 0"
Check tip.Title = "" And tip.TipText = "", "Title and TipText start empty"

tip.Style = 1
tip.Centered = 1
tip.Icon = 2
tip.ForeColor = &HFF&
tip.BackColor = &H80000018
tip.Title = "Script"
tip.TipText = "from VBScript"
tip.VisibleTime = "7000"
tip.DelayTime = 15
Check tip.Style = 1 And tip.Icon = 2, "Style and Icon read back"
Check tip.Centered = True And VarType(tip.Centered) = vbBoolean, "Centered = 1 reads back as True"
Check tip.ForeColor = 255 And tip.BackColor = &H80000018, "colours read back unchanged, high bit too"
Check tip.Title = "Script" And tip.TipText = "from VBScript", "texts read back"
Check tip.VisibleTime = 7000 And VarType(tip.VisibleTime) = vbLong And tip.DelayTime = 15, "times read back as Longs"

' No window for the tool: a tooltip all the same, and Create answers False.
Dim result : result = tip.Create(0)
Check result = False And VarType(result) = vbBoolean, "Create(0) returns False"
result = tip.Create(&H7FFF0000)
Check result = False, "Create with a handle that names no window returns False"
tip.Title = String(10000, "W")
Check Len(tip.Title) = 10000, "a title of 10000 characters is stored whole"
tip.Icon = 1
tip.Destroy
tip.Destroy
tip.TipText = "after Destroy"
tip.BackColor = 1
Check tip.TipText = "after Destroy" And tip.BackColor = 1, "lets after Destroy still store"
Check tip.Create(0) = False, "Create after Destroy returns False"

On Error Resume Next
tip.DelayTime = "soon"
Check Err.Number = 13, "a text that is no number: type mismatch (got " & Err.Number & ")"
Err.Clear
tip.Create
Check Err.Number = 450, "Create without its argument fails (got " & Err.Number & ")"
Err.Clear
tip.ForeColor = 3000000000
Check Err.Number = 6, "a colour beyond a Long: overflow (got " & Err.Number & ")"
Err.Clear
On Error GoTo 0
Check tip.DelayTime = 15 And tip.ForeColor = 255, "refused values leave the stored ones"

Set tip = Nothing
WScript.Echo "script ran to its end"
WScript.Quit failures
