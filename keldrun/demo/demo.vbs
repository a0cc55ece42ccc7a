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
