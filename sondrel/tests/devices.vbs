' A script host's view of the processor, mouse and keyboard classes and of
' CalcContainerOffset, with VBScript class objects standing in for the host's
' form, frames and controls. Every setting changed is put back.
'   devices.vbs x86|x64
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
Dim arch : arch = WScript.Arguments(0)

' ---- CComputerInfo
Dim computer : Set computer = CreateObject("Sondrel.CComputerInfo")
Check computer.NumberOfProcessors >= 1, "NumberOfProcessors " & computer.NumberOfProcessors
Check computer.PageSize = 4096, "PageSize " & computer.PageSize
Check VarType(computer.ProcessorType) = vbLong, "ProcessorType is a Long (" & computer.ProcessorType & ")"
If arch = "x86" Then
    Check computer.ProcessorArchitecture = 0, "a 32-bit process sees an Intel architecture"
    Check computer.MaxAppAddress <> 0, "MaxAppAddress " & Hex(computer.MaxAppAddress)
Else
    Check computer.ProcessorArchitecture = 9, "a 64-bit process sees architecture 9, not named in the enumeration"
End If
Check computer.MinAppAddress = &H10000, "MinAppAddress " & Hex(computer.MinAppAddress)
Check VarType(computer.SlowMachine) = vbBoolean, "SlowMachine is a Boolean"

' ---- CMouseInfo
Dim mouse : Set mouse = CreateObject("Sondrel.CMouseInfo")
Dim speed : speed = mouse.DoubleClickSpeed
mouse.DoubleClickSpeed = 500
Check mouse.DoubleClickSpeed = 500, "DoubleClickSpeed = 500 (a literal for a by-reference let)"
Dim wanted : wanted = 430
mouse.DoubleClickSpeed = wanted
Check mouse.DoubleClickSpeed = 430 And wanted = 430, "DoubleClickSpeed from a variable, which is left as it was"
mouse.DoubleClickSpeed = speed
Check mouse.DoubleClickSpeed = speed, "DoubleClickSpeed restored to " & speed
Dim lines : lines = mouse.WheelLines
mouse.WheelLines = 7
Check mouse.WheelLines = 7, "WheelLines round trip"
mouse.WheelLines = lines
Check mouse.WheelLines = lines, "WheelLines restored"
Dim swapped : swapped = mouse.SwapButtons
mouse.SwapButtons = (Not swapped)
Check mouse.SwapButtons = (Not swapped), "SwapButtons round trip"
mouse.SwapButtons = swapped
Check mouse.SwapButtons = swapped, "SwapButtons restored"

' ---- CKeyboardInfo
Dim keyboard : Set keyboard = CreateObject("Sondrel.CKeyboardInfo")
Dim caps : caps = keyboard.CapsLock
keyboard.CapsLock = (Not caps)
Check keyboard.CapsLock = (Not caps), "CapsLock switched, seen by the next read"
keyboard.CapsLock = caps
Check keyboard.CapsLock = caps, "CapsLock restored"
Dim blink : blink = keyboard.BlinkTime
keyboard.BlinkTime = 600
Check keyboard.BlinkTime = 600 And VarType(keyboard.BlinkTime) = vbInteger, "BlinkTime round trip, an Integer"
keyboard.BlinkTime = blink
Check keyboard.BlinkTime = blink, "BlinkTime restored"

' ---- ExtraFunctions with script objects for the host's controls
Class HostObject
    Public Parent
    Public Container
    Public Left
    Public Top
    Public BorderStyle
    Public Appearance
End Class
Class Shapeless
End Class
Function NewForm()
    Dim form : Set form = New HostObject
    Set form.Parent = form
    Set form.Container = Nothing
    Set NewForm = form
End Function
Function Placed(parent, container, left, top, border, appearance)
    Dim placedObject : Set placedObject = New HostObject
    Set placedObject.Parent = parent
    Set placedObject.Container = container
    placedObject.Left = left : placedObject.Top = top
    placedObject.BorderStyle = border : placedObject.Appearance = appearance
    Set Placed = placedObject
End Function

Dim extra : Set extra = CreateObject("Sondrel.ExtraFunctions")
Dim form : Set form = NewForm()
Dim obj, x, y, frame, outer, control

Set control = Placed(form, form, 100, 200, 0, 0)
Set obj = control : x = 0 : y = 0
extra.CalcContainerOffset obj, x, y
Check obj Is control And x = 0 And y = 0, "a control directly on the form is left as it is"

Set frame = Placed(form, form, 120, 240, 1, 1)
Set obj = Placed(form, frame, 5, 5, 0, 0) : x = 0 : y = 0
extra.CalcContainerOffset obj, x, y
Check obj Is frame And x = 150 And y = 270, "a frame with border and 3-D look: " & x & ", " & y

Set outer = Placed(form, form, 120, 240, 1, 0)
Set frame = Placed(form, outer, 50, 60, 1, 1)
Set obj = Placed(form, frame, 5, 5, 0, 0) : x = 1000 : y = 2000
extra.CalcContainerOffset obj, x, y
Check obj Is outer And x = 1215 And y = 2345, "nested frames added onto the offsets passed in: " & x & ", " & y

On Error Resume Next
Set frame = Placed(form, Nothing, 120, 240, 1, 1)
Set frame.Container = frame
Set obj = Placed(form, frame, 5, 5, 0, 0) : x = 0 : y = 0
extra.CalcContainerOffset obj, x, y
Check Err.Number = 5 And obj Is frame And x = 150 And y = 270, _
      "a frame that contains itself ends the walk with error 5 (got " & Err.Number & ", " & x & ", " & y & ")"
Err.Clear
Set obj = Nothing
extra.CalcContainerOffset obj, x, y
Check Err.Number = 91, "Nothing to start from is error 91 (got " & Err.Number & ")"
Err.Clear
Set obj = New Shapeless
extra.CalcContainerOffset obj, x, y
Check Err.Number = 438, "an object without the properties is error 438 (got " & Err.Number & ")"
Err.Clear
On Error GoTo 0

If failures = 0 Then WScript.Echo "all script checks passed"
WScript.Echo "script ran to its end"
WScript.Quit failures
