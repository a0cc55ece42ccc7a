#include "sondrel/system_values.h"

#include "common/frame.h"

namespace sondrel {
namespace {

const frame::DllFunction<decltype(::GetSystemMetrics)> GetSystemMetrics{"user32", "GetSystemMetrics"};
const frame::DllFunction<decltype(::SystemParametersInfoA)> SystemParametersInfoA{"user32", "SystemParametersInfoA"};

}  // namespace

int32_t metric(int index) { return GetSystemMetrics(index); }

int32_t parameter(UINT getAction) {
    int32_t value = 0;
    SystemParametersInfoA(getAction, 0, &value, 0);
    return value;
}

void setParameter(UINT setAction, int32_t value) {
    int32_t zero = 0;
    SystemParametersInfoA(setAction, static_cast<UINT>(value), &zero, SPIF_SENDWININICHANGE);
}

}  // namespace sondrel

// ---- Processor, mouse and keyboard (CComputerInfo, CMouseInfo, CKeyboardInfo)

namespace sondrel {
namespace {

const frame::DllFunction<decltype(::GetSystemInfo)> GetSystemInfo{"kernel32", "GetSystemInfo"};
const frame::DllFunction<decltype(::IsProcessorFeaturePresent)> IsProcessorFeaturePresent{
    "kernel32", "IsProcessorFeaturePresent"};
const frame::DllFunction<decltype(::GetDoubleClickTime)> GetDoubleClickTime{"user32", "GetDoubleClickTime"};
const frame::DllFunction<decltype(::SetDoubleClickTime)> SetDoubleClickTime{"user32", "SetDoubleClickTime"};
const frame::DllFunction<decltype(::SwapMouseButton)> SwapMouseButton{"user32", "SwapMouseButton"};
const frame::DllFunction<decltype(::GetKeyState)> GetKeyState{"user32", "GetKeyState"};
const frame::DllFunction<decltype(::GetKeyboardType)> GetKeyboardType{"user32", "GetKeyboardType"};
const frame::DllFunction<decltype(::GetCaretBlinkTime)> GetCaretBlinkTime{"user32", "GetCaretBlinkTime"};
const frame::DllFunction<decltype(::SetCaretBlinkTime)> SetCaretBlinkTime{"user32", "SetCaretBlinkTime"};
const frame::DllFunction<decltype(::GetKeyboardState)> GetKeyboardState{"user32", "GetKeyboardState"};
const frame::DllFunction<decltype(::SetKeyboardState)> SetKeyboardState{"user32", "SetKeyboardState"};

}  // namespace

SYSTEM_INFO systemInfo() {
    SYSTEM_INFO info;
    ZeroMemory(&info, sizeof(info));
    GetSystemInfo(&info);
    return info;
}

int32_t processorFeature(DWORD feature) { return IsProcessorFeaturePresent(feature); }

int32_t mouseParameter(MouseElement element) {
    MouseArray array{};
    SystemParametersInfoA(SPI_GETMOUSE, 0, array.data(), 0);
    return array[static_cast<size_t>(element)];
}

void setMouseParameter(MouseElement element, int32_t value) {
    updateMouseArray(
        element, value, [](MouseArray& array) { SystemParametersInfoA(SPI_GETMOUSE, 0, array.data(), 0); },
        [](MouseArray& array) { SystemParametersInfoA(SPI_SETMOUSE, 0, array.data(), SPIF_SENDWININICHANGE); });
}

uint32_t doubleClickTime() { return GetDoubleClickTime(); }

void setDoubleClickTime(int32_t milliseconds) { SetDoubleClickTime(static_cast<UINT>(milliseconds)); }

void swapMouseButton(int32_t swap) { SwapMouseButton(swap); }

int16_t keyState(int virtualKey) { return GetKeyState(virtualKey); }

int32_t keyboardType(int question) { return GetKeyboardType(question); }

uint32_t caretBlinkTime() { return GetCaretBlinkTime(); }

void setCaretBlinkTime(int32_t milliseconds) { SetCaretBlinkTime(static_cast<UINT>(milliseconds)); }

void setToggle(int16_t keyCode, bool on) {
    updateToggle(
        keyCode, on, [](KeyTable& table) { GetKeyboardState(table.data()); },
        [](KeyTable& table) { SetKeyboardState(table.data()); });
}

}  // namespace sondrel
