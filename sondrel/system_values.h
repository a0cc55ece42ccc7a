#pragma once
// The operating-system readings and settings that Sondrel's accessor rows are
// made of, each bound by name at its first call. Readings come back as the
// operating system's 32 bits; a row converts them.
#include <windows.h>

#include <cstdint>

namespace sondrel {

// GetSystemMetrics of one index.
int32_t metric(int index);

// SystemParametersInfoA with a get action: the 32-bit value it leaves in a
// local that starts at 0 (so a refused read gives 0).
int32_t parameter(UINT getAction);

// SystemParametersInfoA with a set action: the new value in uiParam (a
// Boolean arrives sign-extended, True as 0xFFFFFFFF), a 32-bit zero behind
// pvParam, and SPIF_SENDWININICHANGE alone, so the change is broadcast but
// not written to the user profile. A refused change is not reported.
void setParameter(UINT setAction, int32_t value);

}  // namespace sondrel

// ---- Processor, mouse and keyboard (CComputerInfo, CMouseInfo, CKeyboardInfo)

#include "sondrel/device_values.h"

namespace sondrel {

// GetSystemInfo into a zero-filled record.
SYSTEM_INFO systemInfo();

// IsProcessorFeaturePresent of one feature: its 32-bit answer.
int32_t processorFeature(DWORD feature);

// One element of the mouse-parameter array that SPI_GETMOUSE fills (zero
// when the read is refused).
int32_t mouseParameter(MouseElement element);

// The array read with SPI_GETMOUSE, one element replaced, written back with
// SPI_SETMOUSE and SPIF_SENDWININICHANGE alone.
void setMouseParameter(MouseElement element, int32_t value);

// GetDoubleClickTime and SetDoubleClickTime.
uint32_t doubleClickTime();
void setDoubleClickTime(int32_t milliseconds);

// SwapMouseButton with a Boolean widened by its sign (True arrives as -1).
void swapMouseButton(int32_t swap);

// GetKeyState of one virtual key: its 16-bit answer.
int16_t keyState(int virtualKey);

// GetKeyboardType of one question (0 the type, 2 the number of function keys).
int32_t keyboardType(int question);

// GetCaretBlinkTime and SetCaretBlinkTime (an Integer widened by its sign,
// so -1 arrives as 0xFFFFFFFF, "no blinking").
uint32_t caretBlinkTime();
void setCaretBlinkTime(int32_t milliseconds);

// Sets or clears one key's toggle bit in the calling thread's keyboard-state
// table (GetKeyboardState, then SetKeyboardState); neither call's result is
// looked at. A key code outside 0..255 is error 9.
void setToggle(int16_t keyCode, bool on);

}  // namespace sondrel
