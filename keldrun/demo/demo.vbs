' Keldrun round trip: scramble a user name and password, save the
' administrator security file, find it, read it back, split and unscramble.
Option Explicit
Dim sec, crypt, user, password, stored, parts

Set sec = CreateObject("Keldrun.SecurityClass")
Set crypt = sec.crypt
user = "Administrator"
password = "Pa55 w0rd!"

WScript.Echo "User name:            " & user
WScript.Echo "Password:             " & password
WScript.Echo "Scrambled user name:  " & crypt.Encode(user)
WScript.Echo "Scrambled password:   " & crypt.Encode(password)
WScript.Echo "Saved admin file:     " & sec.SaveSecurityFile(crypt.Encode(user), crypt.Encode(password))
WScript.Echo "Admin file found:     " & sec.FindSecurityFile()
stored = sec.ReadSecurityFile()
WScript.Echo "Stored text:          " & stored
parts = Split(stored, "//")
WScript.Echo "Unscrambled user:     " & crypt.DeCode(parts(0))
WScript.Echo "Unscrambled password: " & crypt.DeCode(parts(1))
If crypt.DeCode(parts(0)) = user And crypt.DeCode(parts(1)) = password Then
    WScript.Echo "Round trip: OK"
Else
    WScript.Echo "Round trip: FAILED"
    WScript.Quit 1
End If

' ---------------------------------------------------------------- files and folders
' The programs in the Windows folder with their attribute words and sizes.
Dim files, folders, windows, programs, program, listedBy
Set files = CreateObject("Keldrun.FileSysObject")
Set folders = CreateObject("Keldrun.FolderSysObject")
windows = CreateObject("Scripting.FileSystemObject").GetSpecialFolder(0).Path
WScript.Echo ""
WScript.Echo "Folder " & windows & " exists: " & folders.FolderExists(windows) & _
             ", its name: " & folders.GetFolderName(windows)
programs = files.GetFiles(windows & "\*.exe")
listedBy = "GetFiles"
On Error Resume Next
For Each program In programs
    If program <> "" Then ShowFile program
Next
If Err.Number <> 0 Then
    ' Wine's VBScript cannot step through an array of Strings (Windows' can):
    ' there the same folder's names come from the scripting runtime.
    Err.Clear
    On Error GoTo 0
    listedBy = "Scripting.FileSystemObject (this script host cannot read the array GetFiles returned)"
    For Each program In CreateObject("Scripting.FileSystemObject").GetFolder(windows).Files
        If LCase(files.GetFileExt(program.Name)) = ".exe" Then ShowFile program.Name
    Next
End If
On Error GoTo 0
WScript.Echo "  " & Left("system32" & Space(28), 28) & files.GetFileAttribute(windows & "\system32")
WScript.Echo "(listed by " & listedBy & ")"

Sub ShowFile(name)
    Dim path
    path = windows & "\" & name
    WScript.Echo "  " & Left(name & Space(16), 16) & Left(files.GetFileSize(path) & Space(12), 12) & _
                 files.GetFileAttribute(path)
End Sub

' Shell launcher: start a program that runs for a few seconds, hidden, and
' poll it until it ends.
Dim launcher, polls
Set launcher = CreateObject("Keldrun.CShellExecute")
WScript.Echo ""
WScript.Echo "LaunchProgram ping -n 4 127.0.0.1 (hidden): " & launcher.LaunchProgram(0, "ping.exe", "-n 4 127.0.0.1", "", 0) & _
             " (seeNoError = -1)"
polls = 0
Do While launcher.StillExecuting And polls < 60
    polls = polls + 1
    WScript.Echo "  poll " & polls & ": still executing"
    Pause
Loop
WScript.Echo "  StillExecuting:       " & launcher.StillExecuting & " after " & polls & " polls"
WScript.Echo "LaunchURL of a scheme nobody handles: " & launcher.LaunchURL(0, "no-such-scheme:demo") & _
             " (seeSE_ERR_NOASSOC = 31)"

' About half a second. Wine's script host has no WScript.Sleep; a short ping stands in for it there.
Sub Pause()
    On Error Resume Next
    WScript.Sleep 500
    If Err.Number <> 0 Then
        Err.Clear
        CreateObject("WScript.Shell").Run "ping -n 2 127.0.0.1", 0, True
    End If
End Sub
