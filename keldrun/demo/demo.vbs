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
