' A script host's view of Sondrel.COSInfo: by-reference arguments, settings
' set and put back, and the values a script sees.
Option Explicit
Dim failures : failures = 0
Sub Check(condition, what)
    If condition Then
        WScript.Echo "ok   " & what
    Else
        WScript.Echo "FAIL " & what
        failures = failures + 1
    End If
End Sub

Dim os : Set os = CreateObject("Sondrel.COSInfo")

' TempFile: the prefix variable is read, never changed.
Dim strPrefix, first, second, tempPath
tempPath = LCase(os.TempPath)
strPrefix = "sondrel"
first = os.TempFile(strPrefix)
second = os.TempFile(strPrefix)
Check strPrefix = "sondrel" And VarType(strPrefix) = vbString, "TempFile leaves the prefix as it was"
Check LCase(first) = tempPath & "son1.tmp", "TempFile uses three characters of the prefix (got " & first & ")"
Check first = second, "TempFile gives the same name for the same prefix"
Dim noPrefix
Check LCase(os.TempFile(noPrefix)) = tempPath & "1.tmp" And noPrefix = "", "an Empty prefix reads as no prefix"
Dim numberPrefix : numberPrefix = 12345
Check LCase(os.TempFile(numberPrefix)) = tempPath & "1231.tmp" And CStr(numberPrefix) = "12345", _
      "a number prefix is its text"
Dim nullPrefix : nullPrefix = Null
On Error Resume Next
first = os.TempFile(nullPrefix)
Check Err.Number = 13, "a Null prefix is a type mismatch (got " & Err.Number & ")"
Err.Clear
On Error GoTo 0

' GetWorkArea: the caller's four variables receive Integers.
Dim intLeft, intTop, intWidth, intHeight
intLeft = -1 : intTop = -1 : intWidth = "7" : intHeight = 2.5
os.GetWorkArea intLeft, intTop, intWidth, intHeight
Check VarType(intLeft) = vbInteger And VarType(intTop) = vbInteger And VarType(intWidth) = vbInteger _
      And VarType(intHeight) = vbInteger, "GetWorkArea fills Integers"
Check intLeft >= 0 And intTop >= 0 And intWidth > 0 And intHeight > 0, _
      "work area " & intLeft & ", " & intTop & ", " & intWidth & " x " & intHeight
Dim l, t, w, h
Call os.GetWorkArea(l, t, w, h)
Check l = intLeft And t = intTop And w = intWidth And h = intHeight, "Call with parentheses passes the same variables"
Check TypeName(l) = "Integer" And TypeName(t) = "Integer", "variables that were Empty receive Integers, 0 among them"
On Error Resume Next
os.GetWorkArea l, t
Check Err.Number = 450, "GetWorkArea with two arguments is the wrong number of arguments (got " & Err.Number & ")"
Err.Clear
On Error GoTo 0

' Version and identity.
Check os.WindowsType = 2, "WindowsType is OSIWindowsNT"
Check os.OSBuild >= 0 And os.OSBuild <= 32767, "OSBuild within 15 bits"
Check VarType(os.OSMajorVersion) = vbLong And os.OSMajorVersion >= 5, "OSMajorVersion " & os.OSMajorVersion
Dim guid : guid = os.GUID
Check Len(guid) <= 37 And Len(guid) - Len(Replace(guid, "-", "")) = 3 And Left(guid, 1) = "{", "GUID " & guid
Check guid <> os.GUID, "each GUID is new"
Check Len(os.ComputerName) > 0 And Len(os.UserName) > 0, "ComputerName and UserName are known"
Check VarType(os.DefaultCompanyName) = vbString, "DefaultCompanyName is a String"
Check os.DisplayColors = -1 Or os.DisplayColors > 0, "DisplayColors " & os.DisplayColors
Check VarType(os.LargeFonts) = vbBoolean, "LargeFonts is a Boolean"

' Settings set and put back.
Dim timeout : timeout = os.ScreenSaverTimeout
os.ScreenSaverTimeout = 600
Check os.ScreenSaverTimeout = 600, "ScreenSaverTimeout set to 600"
os.ScreenSaverTimeout = timeout
Check os.ScreenSaverTimeout = timeout, "ScreenSaverTimeout put back"
Dim beep : beep = os.Beep
os.Beep = Not beep
Check os.Beep = (Not beep), "Beep switched"
os.Beep = beep
Check os.Beep = beep, "Beep put back"

If failures = 0 Then WScript.Echo "all script checks passed"
WScript.Echo "script ran to its end"
WScript.Quit failures
