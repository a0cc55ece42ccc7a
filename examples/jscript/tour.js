// A tour of Sondrel, Lanthor and Keldrun from JScript: objects created by
// programmatic identifier and called late-bound. Register the libraries
// first (register.cmd), then run: cscript tour.js

// Sondrel: facts about this machine.
var memory = new ActiveXObject("Sondrel.CMemoryStatus");
var computer = new ActiveXObject("Sondrel.CComputerInfo");
WScript.Echo("Sondrel: memory in use " + memory.MemoryLoad + "%, " +
             computer.NumberOfProcessors + " processor(s), page size " + computer.PageSize);

// Keldrun: scramble a text and get it back; read a file's facts.
var crypt = new ActiveXObject("Keldrun.cSimpleCrypt");
var plain = "Meet me at noon";
var scrambled = crypt.Encode(plain);
WScript.Echo("Keldrun: \"" + plain + "\" scrambled to " + scrambled.length + " characters and back to \"" +
             crypt.DeCode(scrambled) + "\"");
var files = new ActiveXObject("Keldrun.FileSysObject");
var windows = new ActiveXObject("Scripting.FileSystemObject").GetSpecialFolder(0).Path;
var notepad = windows + "\\notepad.exe";
WScript.Echo("Keldrun: " + files.GetFileName(notepad) + " is " + files.GetFileSize(notepad) + ", " +
             files.GetFileAttribute(notepad));

// Lanthor: a balloon tooltip, set up for a window of the host (a form's hWnd).
var tip = new ActiveXObject("Lanthor.CToolTip");
tip.Style = 1;  // TTBalloon
tip.Title = "Lanthor";
tip.TipText = "Shown over the control you attach it to";
WScript.Echo("Lanthor: a " + ["standard", "balloon"][tip.Style] + " tooltip titled \"" + tip.Title +
             "\", to attach with tip.Create(form.hWnd)");
