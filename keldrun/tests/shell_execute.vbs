' CShellExecute from the script host, with the handlers that
' run_shell_script_tests.sh registered:
'   cscript shell_execute.vbs <shell_child.exe> <folder> <url scheme> <document extension> <non-ANSI name>
Option Explicit
Dim child, folder, scheme, extension, oddName, document, sh, fso, failures, r, seen, window, style, i
child = WScript.Arguments(0)
folder = WScript.Arguments(1)
scheme = WScript.Arguments(2)
extension = WScript.Arguments(3)
oddName = WScript.Arguments(4)
failures = 0
Set fso = CreateObject("Scripting.FileSystemObject")
Set sh = CreateObject("Keldrun.CShellExecute")
document = folder & "\document" & extension
fso.CreateTextFile(document, True).Write "text"

Sub Check(ok, what)
    If ok Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

' Wine's script host has no WScript.Sleep: there the child program sleeps instead.
Sub Pause(milliseconds)
    On Error Resume Next
    WScript.Sleep milliseconds
    If Err.Number <> 0 Then
        Err.Clear
        CreateObject("WScript.Shell").Run """" & child & """ - sleep " & milliseconds, 0, True
    End If
End Sub

Function RecordPath(name)
    RecordPath = folder & "\" & name & ".txt"
End Function

Sub Fresh(name)
    If fso.FileExists(RecordPath(name)) Then fso.DeleteFile RecordPath(name)
End Sub

' The lines shell_child.exe wrote: command line, window state, folder, process id.
Function Record(name)
    Dim n, f
    For n = 1 To 200
        If fso.FileExists(RecordPath(name)) Then Exit For
        Pause 100
    Next
    If fso.FileExists(RecordPath(name)) Then
        Set f = fso.OpenTextFile(RecordPath(name), 1, False, -1)
        Record = Split(f.ReadAll, vbCrLf)
        f.Close
    Else
        Record = Array("", "", "", "")
    End If
End Function

' Parameters that make shell_child.exe record into the named file, then act.
Function ChildArguments(name, action)
    Fresh name
    ChildArguments = """" & RecordPath(name) & """ " & action
End Function

Function Has(text, part)
    Has = InStr(1, text, part, vbBinaryCompare) > 0
End Function

' The five simple launchers: verb, file and window state.
Check Not sh.StillExecuting, "StillExecuting is False before any launch"
Fresh "explore"
Check sh.Explore(0, document, 3) = -1, "Explore returns seeNoError"
seen = Record("explore")
Check Has(seen(0), """" & document & """") And seen(1) = "3", "Explore runs the explore verb with window state 3"
Fresh "open"
Check sh.LaunchFolder(0, document, 7) = -1, "LaunchFolder returns seeNoError"
seen = Record("open")
Check Has(seen(0), """" & document & """") And seen(1) = "7", "LaunchFolder runs the open verb with window state 7"
Fresh "print"
Check sh.PrintDocument(0, document) = -1, "PrintDocument returns seeNoError"
seen = Record("print")
Check seen(1) = "0", "PrintDocument prints hidden"
Fresh "url"
Check sh.LaunchURL(0, scheme & ":from/script", 2) = -1, "LaunchURL returns seeNoError"
seen = Record("url")
Check Has(seen(0), """" & scheme & ":from/script""") And seen(1) = "2", "LaunchURL hands the address to its handler"
Fresh "mailto"
Check sh.LaunchEmail(0, "someone@example.com", 1) = -1, "LaunchEmail returns seeNoError"
seen = Record("mailto")
Check Has(seen(0), """mailto:someone@example.com"""), "LaunchEmail passes mailto: and the address"

' Omitted and by-reference window states.
Fresh "url"
Check sh.LaunchURL(0, scheme & ":omitted") = -1, "LaunchURL without a window state"
seen = Record("url")
Check seen(1) = "10", "an omitted window state is 10"
window = 0
style = 5
Fresh "url"
r = sh.LaunchURL(window, scheme & ":variables", style)
seen = Record("url")
Check seen(1) = "5" And style = 5 And window = 0, "variables passed by reference keep their values"

' Process launches and StillExecuting.
Check sh.LaunchProgram(0, child, ChildArguments("program", "record alpha"), folder, 4) = -1, "LaunchProgram returns seeNoError"
seen = Record("program")
Check seen(1) = "4" And seen(2) = folder And Has(seen(0), "record alpha"), "LaunchProgram passes parameters, folder and window state"
Check sh.LaunchProgram(0, child, ChildArguments("defaults", "record")) = -1, "LaunchProgram without folder and window state"
seen = Record("defaults")
Check seen(1) = "10", "its window state is 10"
Fresh "open"
Check sh.LaunchDocument(0, document, folder, 6) = -1, "LaunchDocument returns seeNoError"
seen = Record("open")
Check seen(1) = "6" And seen(2) = folder, "LaunchDocument opens the document in its folder"

Check sh.LaunchProgram(0, child, ChildArguments("sleeper", "sleep 3000"), "", 0) = -1, "a program that sleeps 3 s"
Check sh.StillExecuting, "StillExecuting while it runs"
For i = 1 To 200
    If Not sh.StillExecuting Then Exit For
    Pause 100
Next
Check Not sh.StillExecuting, "StillExecuting turns False when it ends"
Check sh.LaunchProgram(0, child, ChildArguments("exit259", "exit 259"), "", 0) = -1, "a program that ends with 259"
seen = Record("exit259")
Pause 1500
Check sh.StillExecuting, "an exit code of 259 reads as still executing"
Check sh.LaunchProgram(0, child, ChildArguments("sleeper", "sleep 3000"), "", 0) = -1, "another sleeper"
Fresh "url"
r = sh.LaunchURL(0, scheme & ":after")
Check Not sh.StillExecuting, "a simple launcher after it forgets the program"

' Names outside the ANSI code page.
Dim oddFolder
oddFolder = folder & "\" & oddName
Check sh.LaunchProgram(0, oddFolder & "\" & oddName & ".exe", ChildArguments("odd", "record " & oddName), oddFolder, 1) = -1, _
      "LaunchProgram of a program with a non-ANSI name"
seen = Record("odd")
Check Has(seen(0), oddName & ".exe"" ") And Has(seen(0), "record " & oddName) And seen(2) = oddFolder, _
      "the program, its parameters and folder keep their true names"

' Failures and bad input: results, never errors. A window handle that names
' no window keeps the shell's own message off the script host.
Check sh.LaunchURL(0, "keldrun-nobody-handles-this:x") = 31, "a scheme nobody handles gives seeSE_ERR_NOASSOC"
Check sh.LaunchDocument(&H7FFF1234, folder & "\missing" & extension, "") = 2, "a missing document gives seeERROR_FILE_NOT_FOUND"
Check Not sh.StillExecuting, "and nothing runs"
Check sh.LaunchProgram(&H7FFF1234, folder & "\missing.exe") = 2, "a missing program gives seeERROR_FILE_NOT_FOUND"
Check sh.LaunchURL(0, "C:\" & String(1048576, "a")) = 2, "a 1 MiB path gives seeERROR_FILE_NOT_FOUND"
Check sh.LaunchProgram(0, "C:\" & String(1048576, "a"), String(1048576, "p"), String(1048576, "d")) = 2, _
      "LaunchProgram of 1 MiB texts too"
Check sh.PrintDocument(0, "") <> -1, "PrintDocument of an empty name fails"
Check sh.Explore(0, "NUL", 1) <> -1, "Explore of NUL fails"
On Error Resume Next
r = sh.LaunchURL(0, Null)
Check Err.Number = 13, "Null is a type mismatch for the caller (" & Err.Number & ")"
Err.Clear
On Error GoTo 0

fso.DeleteFile document
WScript.Echo "script ran to its end"
If failures > 0 Then WScript.Quit 1
WScript.Quit 0
