' A tour of Sondrel, Lanthor and Keldrun from VBScript: objects created by
' programmatic identifier and called late-bound. Register the libraries
' first (register.cmd), then run: cscript tour.vbs
Option Explicit
Dim memory, computer, crypt, files, tip, plain, scrambled, windows, kind

' Sondrel: facts about this machine.
Set memory = CreateObject("Sondrel.CMemoryStatus")
Set computer = CreateObject("Sondrel.CComputerInfo")
WScript.Echo "Sondrel: memory in use " & memory.MemoryLoad & "%, " & _
             computer.NumberOfProcessors & " processor(s), page size " & computer.PageSize

' Keldrun: scramble a text and get it back; read a file's facts.
Set crypt = CreateObject("Keldrun.cSimpleCrypt")
plain = "Meet me at noon"
scrambled = crypt.Encode(plain)
WScript.Echo "Keldrun: """ & plain & """ scrambled to " & Len(scrambled) & " characters and back to """ & _
             crypt.DeCode(scrambled) & """"
Set files = CreateObject("Keldrun.FileSysObject")
windows = CreateObject("Scripting.FileSystemObject").GetSpecialFolder(0).Path
WScript.Echo "Keldrun: " & files.GetFileName(windows & "\notepad.exe") & " is " & _
             files.GetFileSize(windows & "\notepad.exe") & ", " & files.GetFileAttribute(windows & "\notepad.exe")

' Lanthor: a balloon tooltip, set up for a window of the host (a form's hWnd).
Set tip = CreateObject("Lanthor.CToolTip")
tip.Style = 1          ' TTBalloon
tip.Title = "Lanthor"
tip.TipText = "Shown over the control you attach it to"
If tip.Style = 1 Then kind = "balloon" Else kind = "standard"
WScript.Echo "Lanthor: a " & kind & " tooltip titled """ & tip.Title & """, to attach with tip.Create(form.hWnd)"
