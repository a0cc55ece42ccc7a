// JScript's view of the by-reference let and a lock key: JScript passes
// every argument by value.
var failures = 0;
function check(condition, what) {
    WScript.Echo((condition ? "ok   " : "FAIL ") + what);
    if (!condition) failures++;
}
var mouse = new ActiveXObject("Sondrel.CMouseInfo");
var speed = mouse.DoubleClickSpeed;
mouse.DoubleClickSpeed = 500;
check(mouse.DoubleClickSpeed == 500, "DoubleClickSpeed = 500 from JScript");
mouse.DoubleClickSpeed = speed;
check(mouse.DoubleClickSpeed == speed, "DoubleClickSpeed restored to " + speed);

var keyboard = new ActiveXObject("Sondrel.CKeyboardInfo");
var numLock = keyboard.NumLock;
keyboard.NumLock = !numLock;
check(keyboard.NumLock == !numLock, "NumLock switched, seen by the next read");
keyboard.NumLock = numLock;
check(keyboard.NumLock == numLock, "NumLock restored");

if (failures == 0) WScript.Echo("all script checks passed");
WScript.Echo("script ran to its end");
WScript.Quit(failures);
