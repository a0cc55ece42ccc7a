' Saves or checks the administrator and a user security file through the
' registered Keldrun library.  cscript security_files.vbs save|check <tag> <folder>
Option Explicit
Dim mode, tag, folder, sec, crypt, failures, parts, userBase
mode = WScript.Arguments(0)
tag = WScript.Arguments(1)
folder = WScript.Arguments(2)
failures = 0

Sub Check(ok, what)
    If ok Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

Set sec = CreateObject("Keldrun.SecurityClass")
Set crypt = sec.crypt
userBase = folder & "\user-" & tag

If mode = "save" Then
    Check sec.SaveSecurityFile(crypt.Encode("admin-" & tag), crypt.Encode("pass word!")), "SaveSecurityFile from " & tag
    Check sec.FindSecurityFile(), "FindSecurityFile after saving"
    Check sec.SaveSecurityFileUser(userBase, "plain " & tag, "secret"), "SaveSecurityFileUser"
Else
    Check sec.FindSecurityFile(), "FindSecurityFile sees the file saved by " & tag
    parts = Split(sec.ReadSecurityFile(), "//")
    Check UBound(parts) = 1, "administrator file holds user // password"
    If UBound(parts) = 1 Then
        Check crypt.DeCode(parts(0)) = "admin-" & tag, "administrator user is admin-" & tag
        Check crypt.DeCode(parts(1)) = "pass word!", "administrator password"
    End If
    Check sec.ReadSecurityFileUser(userBase) = "plain " & tag & "//secret", "user file written by " & tag
    Check sec.ReadSecurityFileUser(userBase & "-missing") = "", "missing user file reads empty"
End If

WScript.Echo "script ran to its end"
If failures > 0 Then WScript.Quit 1
WScript.Quit 0
