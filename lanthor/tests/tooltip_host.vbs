' A script host's view of Lanthor.ExpToolTip: late-bound properties, the
' optional by-reference TransparentAlpha, and errors reaching the script.
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

Dim tip : Set tip = CreateObject("Lanthor.ExpToolTip")
Check tip.DelayTime = 100 And tip.KillTime = 500, "DelayTime and KillTime start at 100 and 500"
Check tip.BackStyle = 1 And tip.ToolTipStyle = 0 And tip.IconSize = 16, "BackStyle, ToolTipStyle, IconSize defaults"
Check tip.TextColor = &H80000012 And tip.BackColor = &H80000018, "system colours as defaults"
Check tip.Shadow = False And tip.InIDE() = False, "Shadow and InIDE are False"
Check IsObject(tip.Font), "Font is an object"
Check tip.Picture Is Nothing, "Picture starts as Nothing"
tip.GradientColorStart = &HFF
tip.ToolTipStyle = 1
tip.DelayTime = 7
Check tip.GradientColorStart = 255 And tip.ToolTipStyle = 1 And tip.DelayTime = 7, "stored values read back"

Dim size : Set size = tip.Font
size.Size = 14
Check tip.Font.Size = size.Size, "Font hands out the object it holds"

On Error Resume Next
tip.ShowToolTip 0, "Title", "Text", 0
Check Err.Number = 5, "ShowToolTip on window 0 with TransparentAlpha left out: error 5 (got " & Err.Number & ")"
Err.Clear
Dim alpha : alpha = 256
tip.ShowToolTip 0, "Title", "Text", 0, alpha
Check Err.Number = 6, "TransparentAlpha 256: error 6 (got " & Err.Number & ")"
Err.Clear
alpha = 50
tip.ShowToolTip 0, "Title", "Text", 0, alpha
Check alpha = 50 And VarType(alpha) = vbInteger, "TransparentAlpha is read, never written back"
Err.Clear
tip.StopWnd 12345
Check Err.Number = 9, "StopWnd of an unknown window: error 9 (got " & Err.Number & ")"
Err.Clear
tip.StopAll
Check Err.Number = 0, "StopAll with nothing subclassed"
On Error GoTo 0

WScript.Echo "script ran to its end"
WScript.Quit failures
