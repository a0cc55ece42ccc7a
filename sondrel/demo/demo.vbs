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

' What Sondrel reports about the operating system, the machine and the user.
Dim os
Set os = CreateObject("Sondrel.COSInfo")
Dim windowsTypes : windowsTypes = Array("Windows 3.1 with Win32s", "Windows 95/98/Me", "Windows NT")
Dim osType : osType = os.WindowsType
Dim osTypeText : osTypeText = "platform " & osType
If osType >= 0 And osType <= 2 Then osTypeText = windowsTypes(osType)
WScript.Echo "Windows:                " & os.OSMajorVersion & "." & os.OSMinorVersion & " build " & os.OSBuild & _
             " " & os.OSAdditional & " (" & osTypeText & ")"
WScript.Echo "Computer name:          " & os.ComputerName
WScript.Echo "User name:              " & os.UserName
Function OrNotSet(text)
    OrNotSet = text
    If text = "" Then OrNotSet = "(not set)"
End Function
WScript.Echo "Default user, company:  " & OrNotSet(os.DefaultUserName) & ", " & OrNotSet(os.DefaultCompanyName)
WScript.Echo "Hardware profile:       " & os.CurrentHardwareProfile
WScript.Echo "Language:               " & os.Language
WScript.Echo "Windows directory:      " & os.WindowsDirectory
WScript.Echo "System directory:       " & os.SystemDirectory
WScript.Echo "Temporary directory:    " & os.TempPath
Dim strPrefix : strPrefix = "demo"
WScript.Echo "Temporary file name:    " & os.TempFile(strPrefix)
WScript.Echo "A new GUID:             " & os.GUID
Dim colors : colors = os.DisplayColors
If colors = -1 Then colors = "32-bit colour"
WScript.Echo "Display colours:        " & colors & ", large fonts: " & os.LargeFonts
Dim intLeft, intTop, intWidth, intHeight
os.GetWorkArea intLeft, intTop, intWidth, intHeight
WScript.Echo "Work area:              " & intWidth & " x " & intHeight & " at " & intLeft & ", " & intTop
WScript.Echo "Beep, screen saver:     " & os.Beep & ", " & os.ScreenSaverActive & " after " & os.ScreenSaverTimeout & " s"

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
