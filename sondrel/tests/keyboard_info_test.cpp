// CKeyboardInfo with the real key-state table of this thread and the real
// keyboard settings of the Wine prefix, each restored after.
#include <array>

#include "device_support.h"

using frame::ComPtr;
using frame::Variant;
using frame::testing::Access;
using frame::testing::MessageBoxCapture;
using namespace sondrel::testing;

namespace {

ComPtr<_CKeyboardInfo> newKeyboardInfo() { return create<_CKeyboardInfo, CKeyboardInfo>(); }

using KeyTable = std::array<BYTE, 256>;
KeyTable keyTable() {
    KeyTable table{};
    GetKeyboardState(table.data());
    return table;
}

// The thread's key-state table as it was, put back when the test ends.
class KeyTableKept {
public:
    KeyTableKept() : original_(keyTable()) {}
    ~KeyTableKept() { SetKeyboardState(original_.data()); }
    const KeyTable& original() const { return original_; }

private:
    KeyTable original_;
};

void setKeys(std::initializer_list<std::pair<BYTE, BYTE>> keys) {
    KeyTable table{};
    for (auto [key, state] : keys) table[key] = state;
    SetKeyboardState(table.data());
}

TEST(CKeyboardInfo, TypeLibraryCarriesTheMemberTableAndEnumerations) {
    auto keyboard = newKeyboardInfo();
    ASSERT_TRUE(keyboard);
    expectPropertyTable(keyboard.get(), {
        {"Alt", 0x68030010, "bool", Access::get},
        {"BlinkTime", 0x6803000F, "short", Access::getLet},
        {"CapsLock", 0x6803000E, "bool", Access::getLet},
        {"Control", 0x6803000D, "bool", Access::get},
        {"FunctionKeys", 0x6803000C, "short", Access::get},
        {"KeyboardType", 0x6803000B, "EnumKeyboardType", Access::get},
        {"LAlt", 0x6803000A, "bool", Access::get},
        {"LControl", 0x68030009, "bool", Access::get},
        {"LShift", 0x68030008, "bool", Access::get},
        {"NumLock", 0x68030007, "bool", Access::getLet},
        {"RAlt", 0x68030006, "bool", Access::get},
        {"RControl", 0x68030005, "bool", Access::get},
        {"RepeatDelay", 0x68030004, "EnumKeyboardDelay", Access::getLet},
        {"RepeatSpeed", 0x68030003, "short", Access::getLet},
        {"RShift", 0x68030002, "bool", Access::get},
        {"ScrollLock", 0x68030001, "bool", Access::getLet},
        {"Shift", 0x68030000, "bool", Access::get},
    });
    EXPECT_EQ(enumerationOf(keyboard.get(), {0xBFDA1AA7, 0xE60E, 0x4CFE, {0x99, 0xA7, 0x96, 0xE9, 0xF2, 0xD3, 0x69, 0xA5}}),
              "EnumKeyboardType: kybIBM83Key=1, kybICO102Key=2, kybIBM84KEY=3, kybIBM101Or102Key=4, "
              "kybNokia1050=5, kybNokia9140=6, kybJapanese=7");
    EXPECT_EQ(enumerationOf(keyboard.get(), {0xEACBC901, 0x16E2, 0x4C8B, {0xA8, 0x38, 0x13, 0xBE, 0xA8, 0x33, 0xB8, 0x78}}),
              "EnumKeyboardDelay: kybDelay250ms=0, kybDelay500ms=1, kybDelay750ms=2, kybDelay1000ms=3");
}

// Each modifier property reads its own key only: the generic and the sided
// keys are independent reads of the thread's key state.
TEST(CKeyboardInfo, ModifiersReadTheSignBitOfTheirOwnKey) {
    KeyTableKept kept;
    auto keyboard = newKeyboardInfo();
    ASSERT_TRUE(keyboard);
    const std::pair<const char16_t*, BYTE> modifiers[] = {
        {u"Alt", VK_MENU},       {u"Control", VK_CONTROL},   {u"Shift", VK_SHIFT},      {u"LAlt", VK_LMENU},
        {u"LControl", VK_LCONTROL}, {u"LShift", VK_LSHIFT}, {u"RAlt", VK_RMENU},       {u"RControl", VK_RCONTROL},
        {u"RShift", VK_RSHIFT}};
    for (auto [down, key] : modifiers) {
        setKeys({{key, 0x80}});
        for (auto [name, other] : modifiers)
            EXPECT_EQ(number(get(keyboard.get(), name)), other == key ? -1 : 0)
                << frame::testing::narrow(name) << " with " << frame::testing::narrow(down) << " down";
    }
    // A toggled-on key that is up is not pressed.
    setKeys({{VK_SHIFT, 0x01}});
    EXPECT_EQ(number(get(keyboard.get(), u"Shift")), 0);
}

TEST(CKeyboardInfo, LockKeysReadBitZeroAndTheirLetsSwitchOnlyThatBit) {
    KeyTableKept kept;
    MessageBoxCapture capture;
    auto keyboard = newKeyboardInfo();
    ASSERT_TRUE(keyboard);
    for (auto [name, key] : {std::pair{u"CapsLock", VK_CAPITAL}, {u"NumLock", VK_NUMLOCK}, {u"ScrollLock", VK_SCROLL}}) {
        const std::string label = frame::testing::narrow(name);
        // Held down but off reads False.
        setKeys({{static_cast<BYTE>(key), 0x80}, {VK_SHIFT, 0x80}});
        EXPECT_EQ(number(get(keyboard.get(), name)), 0) << label;
        put(keyboard.get(), name, Variant::boolean(true));
        KeyTable table = keyTable();
        EXPECT_EQ(table[key], 0x81) << label;
        EXPECT_EQ(table[VK_SHIFT], 0x80) << label;
        EXPECT_EQ(number(get(keyboard.get(), name)), -1) << label;
        put(keyboard.get(), name, Variant::boolean(false));
        EXPECT_EQ(keyTable()[key], 0x80) << label;
        EXPECT_EQ(number(get(keyboard.get(), name)), 0) << label;
        // Already on stays as it is.
        setKeys({{static_cast<BYTE>(key), 0x01}});
        put(keyboard.get(), name, Variant::boolean(true));
        EXPECT_EQ(keyTable()[key], 0x01) << label;
    }
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(CKeyboardInfo, KeyboardTypeAndFunctionKeysAreTheSystemsAnswers) {
    auto keyboard = newKeyboardInfo();
    ASSERT_TRUE(keyboard);
    EnumKeyboardType type = kybJapanese;
    short functionKeys = -1;
    EXPECT_EQ(keyboard->get_KeyboardType(&type), S_OK);
    EXPECT_EQ(keyboard->get_FunctionKeys(&functionKeys), S_OK);
    EXPECT_EQ(type, GetKeyboardType(0));
    EXPECT_EQ(functionKeys, GetKeyboardType(2));
    EXPECT_EQ(get(keyboard.get(), u"FunctionKeys").type(), VT_I2);
}

TEST(CKeyboardInfo, SettingsRoundTripAndAreRestored) {
    MessageBoxCapture capture;
    auto keyboard = newKeyboardInfo();
    ASSERT_TRUE(keyboard);
    expectRoundTrips(keyboard.get(), u"BlinkTime", {700, 250});
    expectRoundTrips(keyboard.get(), u"RepeatDelay", {2, 0, 7});
    expectRoundTrips(keyboard.get(), u"RepeatSpeed", {20, 5});
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(CKeyboardInfo, BlinkTimeIsNarrowedToAnIntegerAndWidenedBack) {
    MessageBoxCapture capture;
    auto keyboard = newKeyboardInfo();
    ASSERT_TRUE(keyboard);
    const UINT original = GetCaretBlinkTime();
    // -1 is 0xFFFFFFFF, the caret that does not blink, both ways.
    EXPECT_EQ(keyboard->put_BlinkTime(-1), S_OK);
    EXPECT_EQ(GetCaretBlinkTime(), 0xFFFFFFFFu);
    short time = 0;
    EXPECT_EQ(keyboard->get_BlinkTime(&time), S_OK);
    EXPECT_EQ(time, -1);
    EXPECT_TRUE(capture.boxes().empty());
    // 40000 has no Integer form.
    SetCaretBlinkTime(40000);
    if (GetCaretBlinkTime() == 40000u) {
        time = 5;
        EXPECT_EQ(keyboard->get_BlinkTime(&time), S_OK);
        EXPECT_EQ(time, 0);
        ASSERT_EQ(capture.boxes().size(), 1u);
        EXPECT_EQ(capture.boxes()[0].caption, u"BlinkTime");
        EXPECT_EQ(capture.boxes()[0].text, u"Error: 6. Overflow");
    } else {
        ADD_FAILURE() << "the system did not keep a blink time of 40000";
    }
    SetCaretBlinkTime(original);
    EXPECT_EQ(GetCaretBlinkTime(), original);
}

}  // namespace
