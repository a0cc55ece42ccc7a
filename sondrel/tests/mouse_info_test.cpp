// CMouseInfo with the real mouse settings of the Wine prefix: every change is
// read back through the matching get and the original value put back.
#include <array>

#include "device_support.h"

using frame::Argument;
using frame::ComPtr;
using frame::Variant;
using frame::invokeByName;
using frame::testing::Access;
using frame::testing::MessageBoxCapture;
using namespace sondrel::testing;

namespace {

ComPtr<_CMouseInfo> newMouseInfo() { return create<_CMouseInfo, CMouseInfo>(); }

using MouseArray = std::array<int, 3>;
MouseArray mouseArray() {
    MouseArray array{};
    SystemParametersInfoA(SPI_GETMOUSE, 0, array.data(), 0);
    return array;
}
void setMouseArray(MouseArray array) { SystemParametersInfoA(SPI_SETMOUSE, 0, array.data(), SPIF_SENDWININICHANGE); }

TEST(CMouseInfo, TypeLibraryCarriesTheMemberTable) {
    auto mouse = newMouseInfo();
    ASSERT_TRUE(mouse);
    expectPropertyTable(mouse.get(), {
        {"Buttons", 0x68030010, "long", Access::get},
        {"CursorHeight", 0x6803000F, "long", Access::get},
        {"CursorWidth", 0x6803000E, "long", Access::get},
        {"DoubleClickHeight", 0x6803000D, "long", Access::getLet},
        {"DoubleClickSpeed", 0x6803000C, "long", Access::getLetByRef},
        {"DoubleClickWidth", 0x6803000B, "long", Access::getLet},
        {"DragHeight", 0x6803000A, "long", Access::getLet},
        {"DragWidth", 0x68030009, "long", Access::getLet},
        {"MousePresent", 0x68030008, "bool", Access::get},
        {"MouseSpeed", 0x68030007, "long", Access::getLet},
        {"MouseThreshold1", 0x68030006, "long", Access::getLet},
        {"MouseThreshold2", 0x68030005, "long", Access::getLet},
        {"MouseTrails", 0x68030004, "bool", Access::getLet},
        {"SnapToDefault", 0x68030003, "bool", Access::getLet},
        {"SwapButtons", 0x68030002, "bool", Access::getLet},
        {"WheelLines", 0x68030001, "long", Access::getLet},
        {"WheelPresent", 0x68030000, "bool", Access::get},
    });
}

TEST(CMouseInfo, MetricsAreTheSystemsAnswers) {
    MessageBoxCapture capture;
    auto mouse = newMouseInfo();
    ASSERT_TRUE(mouse);
    const struct {
        const char16_t* name;
        int index;
        bool boolean;
    } rows[] = {{u"Buttons", SM_CMOUSEBUTTONS, false},     {u"CursorHeight", SM_CYCURSOR, false},
                {u"CursorWidth", SM_CXCURSOR, false},      {u"DoubleClickHeight", SM_CYDOUBLECLK, false},
                {u"DoubleClickWidth", SM_CXDOUBLECLK, false}, {u"DragHeight", SM_CYDRAG, false},
                {u"DragWidth", SM_CXDRAG, false},          {u"MousePresent", SM_MOUSEPRESENT, true},
                {u"SwapButtons", SM_SWAPBUTTON, true},     {u"WheelPresent", SM_MOUSEWHEELPRESENT, true}};
    for (const auto& row : rows) {
        const Variant value = get(mouse.get(), row.name);
        const int expected = GetSystemMetrics(row.index);
        EXPECT_EQ(value.type(), row.boolean ? VT_BOOL : VT_I4) << frame::testing::narrow(row.name);
        EXPECT_EQ(number(value), row.boolean ? (expected ? -1 : 0) : expected) << frame::testing::narrow(row.name);
    }
    EXPECT_EQ(number(get(mouse.get(), u"DoubleClickSpeed")), static_cast<int32_t>(GetDoubleClickTime()));
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(CMouseInfo, SettingsRoundTripAndAreRestored) {
    MessageBoxCapture capture;
    auto mouse = newMouseInfo();
    ASSERT_TRUE(mouse);
    expectRoundTrips(mouse.get(), u"DoubleClickHeight", {7, 0, -3});
    expectRoundTrips(mouse.get(), u"DoubleClickWidth", {9, -4, 2147483647});
    expectRoundTrips(mouse.get(), u"DragHeight", {5, -2});
    expectRoundTrips(mouse.get(), u"DragWidth", {6, -1});
    expectRoundTrips(mouse.get(), u"WheelLines", {5, 0, -1, 100000});
    expectRoundTrips(mouse.get(), u"DoubleClickSpeed", {650, 200});
    expectRoundTrips(mouse.get(), u"SnapToDefault", {-1, 0});
    expectRoundTrips(mouse.get(), u"SwapButtons", {-1, 0});
    expectRoundTrips(mouse.get(), u"MouseTrails", {-1, 0});
    expectRoundTrips(mouse.get(), u"MouseSpeed", {2, 0});
    expectRoundTrips(mouse.get(), u"MouseThreshold1", {6, 11});
    expectRoundTrips(mouse.get(), u"MouseThreshold2", {9, -13, 1000000});
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(CMouseInfo, ArrayElementsArePositionsZeroToTwoAndAnUpdateKeepsTheOthers) {
    auto mouse = newMouseInfo();
    ASSERT_TRUE(mouse);
    const MouseArray original = mouseArray();
    setMouseArray({10, 4, 1});
    long speed = 0, threshold1 = 0, threshold2 = 0;
    mouse->get_MouseSpeed(&speed);
    mouse->get_MouseThreshold1(&threshold1);
    mouse->get_MouseThreshold2(&threshold2);
    EXPECT_EQ(speed, 10);
    EXPECT_EQ(threshold1, 4);
    EXPECT_EQ(threshold2, 1);
    mouse->put_MouseThreshold1(6);
    EXPECT_EQ(mouseArray(), (MouseArray{10, 6, 1}));
    mouse->put_MouseSpeed(2);
    EXPECT_EQ(mouseArray(), (MouseArray{2, 6, 1}));
    mouse->put_MouseThreshold2(-7);
    EXPECT_EQ(mouseArray(), (MouseArray{2, 6, -7}));
    setMouseArray(original);
    EXPECT_EQ(mouseArray(), original);
}

TEST(CMouseInfo, BooleanLetsPassMinusOneAndAnyTrailReadsTrue) {
    auto mouse = newMouseInfo();
    ASSERT_TRUE(mouse);
    int originalTrails = 0;
    SystemParametersInfoA(SPI_GETMOUSETRAILS, 0, &originalTrails, 0);
    mouse->put_MouseTrails(VARIANT_TRUE);
    int trails = 0;
    SystemParametersInfoA(SPI_GETMOUSETRAILS, 0, &trails, 0);
    EXPECT_EQ(trails, -1);
    SystemParametersInfoA(SPI_SETMOUSETRAILS, 1, nullptr, 0);
    VARIANT_BOOL on = VARIANT_FALSE;
    mouse->get_MouseTrails(&on);
    EXPECT_EQ(on, VARIANT_TRUE);
    mouse->put_MouseTrails(VARIANT_FALSE);
    SystemParametersInfoA(SPI_GETMOUSETRAILS, 0, &trails, 0);
    EXPECT_EQ(trails, 0);
    SystemParametersInfoA(SPI_SETMOUSETRAILS, static_cast<UINT>(originalTrails), nullptr, SPIF_SENDWININICHANGE);
}

TEST(CMouseInfo, DoubleClickSpeedTakesItsValueByReferenceAndNeverWritesIt) {
    MessageBoxCapture capture;
    auto mouse = newMouseInfo();
    ASSERT_TRUE(mouse);
    const UINT original = GetDoubleClickTime();
    // Early-bound: the caller's variable is read, not written.
    long speed = 640;
    EXPECT_EQ(mouse->put_DoubleClickSpeed(&speed), S_OK);
    EXPECT_EQ(speed, 640);
    EXPECT_EQ(GetDoubleClickTime(), 640u);
    EXPECT_EQ(mouse->put_DoubleClickSpeed(nullptr), E_POINTER);
    // Late-bound, the value arriving by value (JScript, a literal) ...
    auto byValue = invokeByName(mouse.get(), u"DoubleClickSpeed", DISPATCH_PROPERTYPUT, {Variant(u"610")});
    EXPECT_EQ(byValue.hr, S_OK);
    EXPECT_EQ(GetDoubleClickTime(), 610u);
    // ... or as a by-reference variant holding another type (a script variable).
    Variant variable(u"580");
    auto byReference =
        invokeByName(mouse.get(), u"DoubleClickSpeed", DISPATCH_PROPERTYPUT, {Argument::byRef(variable)});
    EXPECT_EQ(byReference.hr, S_OK);
    EXPECT_EQ(GetDoubleClickTime(), 580u);
    EXPECT_EQ(variable.type(), VT_BSTR);
    EXPECT_EQ(frame::Bstr::view(V_BSTR(&variable.get())), u"580");
    // A value that is no number is a type mismatch for the caller and changes nothing.
    auto mismatch = invokeByName(mouse.get(), u"DoubleClickSpeed", DISPATCH_PROPERTYPUT, {Variant(u"fast")});
    EXPECT_EQ(mismatch.errorNumber, frame::errTypeMismatch);
    EXPECT_EQ(GetDoubleClickTime(), 580u);
    SetDoubleClickTime(original);
    EXPECT_EQ(GetDoubleClickTime(), original);
    EXPECT_TRUE(capture.boxes().empty());
}

}  // namespace
