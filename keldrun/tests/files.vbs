' FileSysObject and FolderSysObject from a script host, on the folder that
' run_files_script_tests.sh made.  cscript files.vbs <folder> <name outside the code page>
Option Explicit
Dim folder, wideName, f, d, fso, failures, r, list
folder = WScript.Arguments(0)
wideName = WScript.Arguments(1)
failures = 0

Sub Check(ok, what)
    If ok Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

' The error a statement raised: number, description and source.
Sub CheckError(number, description, source, what)
    Check Err.Number = number And Err.Description = description And Err.Source = source, _
          what & " raises " & number & " (got " & Err.Number & " " & Err.Description & " from " & Err.Source & ")"
    Err.Clear
End Sub

Set f = CreateObject("Keldrun.FileSysObject")
Set d = CreateObject("Keldrun.FolderSysObject")
Set fso = CreateObject("Scripting.FileSystemObject")

Check f.GetFileName("C:\dir\file.txt") = "file.txt", "GetFileName"
Check f.GetFileName("C:\dir\") = "", "GetFileName of a folder path is empty"
Check f.GetFileExt("report.final.txt") = ".txt", "GetFileExt"
Check f.GetFileExt("C:\dir.old\file") = "", "GetFileExt looks at the last component only"
Check d.GetFolderName("C:\work\reports") = "reports", "GetFolderName"

' Arrays of Strings: this script host can test their type only.
list = f.GetFiles(folder & "\*.txt")
Check IsArray(list) And VarType(list) = 8200, "GetFiles returns an array of String"
list = f.GetFiles(folder & "\", 16)
Check VarType(list) = 8200, "GetFiles with the folder bit"
list = d.GetDirectories(folder)
Check VarType(list) = 8200, "GetDirectories returns an array of String"
list = d.GetDirectories(folder & "\", 0, True)
Check VarType(list) = 8200, "GetDirectories with the path included"

Check f.GetFileAttribute(folder & "\a.txt") = "Archive", "a new file is Archive"
Check f.MarkFileAttributes(folder & "\a.txt", 3) = True, "MarkFileAttributes ReadOnly+Hidden"
Check Left(f.GetFileAttribute(folder & "\a.txt"), 15) = "ReadOnly Hidden", "and the words follow"
Check Left(f.GetFileAttribute(folder & "\sub"), 9) = "Directory", "a folder's words start with Directory"
Check f.GetFileSize(folder & "\k.bin") = "1.00 KB", "GetFileSize of 1024 bytes"
Check f.GetFileSize(folder & "\b.txt") = "0 bytes", "GetFileSize of an empty file"

Check f.RenameFile(folder & "\data.txt", "new") = True, "RenameFile keeps the extension"
Check fso.FileExists(folder & "\new.txt") And Not fso.FileExists(folder & "\data.txt"), "the file has its new name"

' A name outside the ANSI code page, as the runner gave it.
Check f.GetFileSize(folder & "\" & wideName) = "4 bytes", "GetFileSize of " & wideName
Check f.RenameFile(folder & "\" & wideName, "renamed") = True, "RenameFile of " & wideName
Check fso.FileExists(folder & "\renamed.txt"), "renamed.txt holds it now"

Check d.FolderExists(folder), "FolderExists of the folder"
Check Not d.FolderExists(folder & "\missing"), "FolderExists of a missing folder"
Check Not d.FolderExists(folder & "\b.txt"), "FolderExists of a file"
Check Not d.FolderExists(folder & "\*\x"), "FolderExists of a bad pattern"
Check d.RenameFolder(folder & "\sub", "sub2") = True, "RenameFolder"
Check fso.FolderExists(folder & "\sub2"), "the folder has its new name"
Check d.MarkFolderAttributes(folder & "\sub2", 2) = True, "MarkFolderAttributes Hidden"
Check f.GetFileAttribute(folder & "\sub2") = "Directory Hidden", "the folder is hidden"

On Error Resume Next
r = f.RenameFile(folder & "\missing.txt", "x")
CheckError 53, "File not found", "Keldrun.FileSysObject", "RenameFile of a missing file"
Check IsEmpty(r), "and gives no result"
r = f.MarkFileAttributes(folder & "\b.txt", 64)
CheckError 5, "Invalid procedure call or argument", "Keldrun.FileSysObject", "MarkFileAttributes with 64"
r = f.GetFiles(folder & "\*\x")
CheckError 52, "Bad file name or number", "Keldrun.FileSysObject", "GetFiles of a bad pattern"
r = f.GetFileSize(folder & "\missing.bin")
CheckError 53, "File not found", "Keldrun.FileSysObject", "GetFileSize of a missing file"
r = d.RenameFolder(folder & "\sub2", "taken")
CheckError 58, "File already exists", "Keldrun.FolderSysObject", "RenameFolder onto a folder that exists"
r = d.MarkFolderAttributes(folder & "\missing", 2)
CheckError 53, "File not found", "Keldrun.FolderSysObject", "MarkFolderAttributes of a missing folder"
r = d.FolderExists("")
Check Err.Number = 0, "FolderExists of an empty path raises nothing"
r = f.GetFileName(Null)
Check Err.Number <> 0, "a Null path is refused (" & Err.Number & ")"
Err.Clear
On Error GoTo 0

WScript.Echo "script ran to its end"
If failures > 0 Then WScript.Quit 1
WScript.Quit 0
