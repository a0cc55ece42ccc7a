#pragma once
// Test support for the Wine-run tests: COM initialisation, objects created
// straight from a library DLL, late-bound calls, and capture of every message
// box a member shows.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/com.h"
#include "common/late.h"

namespace frame::testing {

struct CapturedBox {
    std::u16string caption;
    std::u16string text;
    bool hasIcon = false;         // an icon shown beside the text
    std::vector<int> buttons;     // command identifiers of the buttons (IDOK = 1, ...)
};

// While alive, every message box that activates on this thread is read and
// dismissed with its first button.
class MessageBoxCapture {
public:
    MessageBoxCapture();
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    const std::vector<CapturedBox>& boxes() const { return boxes_; }
    void clear() { boxes_.clear(); }
    // How many boxes the thread's innermost capture has seen so far (0 without one).
    static size_t boxesSoFar();

private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
    UniqueHookHandle hook_;
    std::vector<CapturedBox> boxes_;
    MessageBoxCapture* previous_;
};

using frame::createFromDll;

// COM for the whole test program (single-threaded apartment, as hosts use).
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};

// A host's own automation object, as tests need one to hand to a class: named
// properties read late-bound by name, and a default value when one is given.
// It has no type information, like many hosts' objects.
struct HostProperty {
    std::u16string name;
    Variant value;
};
ComPtr<IDispatch> makeHostObject(std::vector<HostProperty> properties);
ComPtr<IDispatch> makeHostObject(std::vector<HostProperty> properties, Variant defaultValue);

// Pumps this thread's messages for about the given time.
void pumpMessages(DWORD milliseconds);
// Pumps until the condition holds or the time is up; true when it holds at the end.
bool pumpUntil(const std::function<bool()>& condition, DWORD milliseconds = 5000);
// A pixel as the screen shows it.
COLORREF screenPixel(int x, int y);
// An area of the screen, row by row, as COLORREF values; empty if it cannot be read.
std::vector<COLORREF> screenArea(const RECT& area);
// A window class of this program whose windows show one colour and do nothing else.
void registerPlainWindowClass(const char* name, COLORREF background);

std::string narrow(const std::u16string& text);

}  // namespace frame::testing
