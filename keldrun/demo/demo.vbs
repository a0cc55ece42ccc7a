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
