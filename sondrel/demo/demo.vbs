' What Sondrel reports about this machine's memory.
Dim status
Set status = CreateObject("Sondrel.CMemoryStatus")
WScript.Echo "Memory load (%):        " & status.MemoryLoad
WScript.Echo "Total physical:         " & status.TotalPhysical
WScript.Echo "Available physical:     " & status.AvailablePhysical
WScript.Echo "Total page file:        " & status.TotalPageFile
WScript.Echo "Available page file:    " & status.AvailablePageFile
WScript.Echo "Total virtual:          " & status.TotalVirtual
WScript.Echo "Available virtual:      " & status.AvailableVirtual

' ---- Processor, mouse and keyboard
Dim computer, mouse, keyboard
Set computer = CreateObject("Sondrel.CComputerInfo")
WScript.Echo "Processors:             " & computer.NumberOfProcessors & " (mask &H" & Hex(computer.ActiveProcessorMask) & ")"
WScript.Echo "Architecture, type:     " & computer.ProcessorArchitecture & ", " & computer.ProcessorType
WScript.Echo "Level, revision:        " & computer.ProcessorLevel & ", &H" & Hex(computer.ProcessorRevision)
WScript.Echo "MMX, compare-exchange:  " & computer.MMXAvailable & ", " & computer.CompareExchangeDouble
WScript.Echo "Page size, granularity: " & computer.PageSize & ", " & computer.AllocationGranularity
' A 64-bit process's top address lies above 4 GiB and has no Long form (the
' property reports an overflow), so it is shown for a 32-bit process only.
If computer.ProcessorArchitecture = 0 Then
    WScript.Echo "Application addresses:  &H" & Hex(computer.MinAppAddress) & " to &H" & Hex(computer.MaxAppAddress)
Else
    WScript.Echo "Application addresses:  from &H" & Hex(computer.MinAppAddress) & " (64-bit process)"
End If
WScript.Echo "Slow machine:           " & computer.SlowMachine

Set mouse = CreateObject("Sondrel.CMouseInfo")
WScript.Echo "Mouse present, buttons: " & mouse.MousePresent & ", " & mouse.Buttons & " (wheel " & mouse.WheelPresent & ")"
WScript.Echo "Double-click:           " & mouse.DoubleClickSpeed & " ms in " & mouse.DoubleClickWidth & " x " & mouse.DoubleClickHeight
WScript.Echo "Mouse speed, thresholds: " & mouse.MouseSpeed & ", " & mouse.MouseThreshold1 & ", " & mouse.MouseThreshold2
WScript.Echo "Wheel lines, swapped:   " & mouse.WheelLines & ", " & mouse.SwapButtons

Set keyboard = CreateObject("Sondrel.CKeyboardInfo")
WScript.Echo "Keyboard type, F-keys:  " & keyboard.KeyboardType & ", " & keyboard.FunctionKeys
WScript.Echo "Repeat delay, speed:    " & keyboard.RepeatDelay & ", " & keyboard.RepeatSpeed
WScript.Echo "Caret blink time:       " & keyboard.BlinkTime & " ms"
WScript.Echo "Caps, Num, Scroll Lock: " & keyboard.CapsLock & ", " & keyboard.NumLock & ", " & keyboard.ScrollLock
