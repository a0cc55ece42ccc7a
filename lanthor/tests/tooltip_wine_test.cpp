// ExpToolTip on real windows under Wine and Xvfb: a target window, the
// pointer moved onto it, the tooltip window appearing after DelayTime ticks
// and going again, with its region and the pixels on the screen compared
// against the layout arithmetic.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "common/testing/harness.h"
#include "lanthor/tooltips/layout.h"
#include "lanthor_h.h"

using frame::Bstr;
using frame::ComPtr;
using namespace lanthor;

namespace {

constexpr COLORREF kTargetColour = RGB(0, 128, 0);
constexpr LONG kYellow = 0x0000FFFF, kBlue = 0x00FF0000, kRed = 0x000000FF;

// Every test pixel is read off the screen, as a user sees it.
using frame::testing::screenPixel;
using frame::testing::pumpUntil;

HWND findTip() { return FindWindowA("#32770", "ZVQ-EXTOOLTIP"); }

BOOL CALLBACK countTip(HWND w, LPARAM count) {
    char name[32] = {};
    GetWindowTextA(w, name, sizeof(name));
    if (std::string_view(name) == "ZVQ-EXTOOLTIP") ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int tipWindowCount() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countTip, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Pixels where the window's own region and the mask disagree; -1 without a complex region.
int regionMismatches(HWND window, const layout::Masks& masks) {
    frame::UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(window, region.get()) != COMPLEXREGION) return -1;
    int mismatches = 0;
    for (int y = 0; y < masks.height; ++y)
        for (int x = 0; x < masks.width; ++x)
            mismatches += (PtInRegion(region.get(), x, y) != FALSE) != masks.inWindow(x, y);
    return mismatches;
}

class ToolTipWine : public ::testing::Test {
protected:
    HWND target = nullptr;
    WNDPROC targetOwnProc = nullptr;
    ComPtr<_ExpToolTip> tip;

    static void SetUpTestSuite() { frame::testing::registerPlainWindowClass("LanthorTipTarget", kTargetColour); }
    void SetUp() override {
        tip = frame::testing::createFromDll<_ExpToolTip>(L"Lanthor.dll", __uuidof(ExpToolTip));
        ASSERT_TRUE(tip);
        makeTarget(100, 100);
    }
    void TearDown() override {
        tip.reset();
        if (target) DestroyWindow(target);
        frame::testing::pumpMessages(20);
    }
    void makeTarget(int x, int y, int w = 500, int h = 400, const char* windowClass = "LanthorTipTarget") {
        if (target) DestroyWindow(target);
        target = CreateWindowExA(0, windowClass, "", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(target, nullptr);
        UpdateWindow(target);
        frame::testing::pumpMessages(50);
        targetOwnProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(target, GWLP_WNDPROC));
    }
    long handle() const { return static_cast<long>(reinterpret_cast<LONG_PTR>(target)); }
    HRESULT show(const char16_t* title, const char16_t* text, long icon = 0, long alpha = 100) {
        Bstr t(title), b(text);
        return tip->ShowToolTip(handle(), t.get(), b.get(), icon, &alpha);
    }
    // The pointer onto the target, and the move the target sees.
    void pointAt(int x, int y) {
        SetCursorPos(x, y);
        POINT client{x, y};
        ScreenToClient(target, &client);
        SendMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    }
    bool subclassed() const {
        return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(target, GWLP_WNDPROC)) != targetOwnProc;
    }
    void quick(long delay = 2, long kill = 100000) {
        tip->put_DelayTime(delay);
        tip->put_KillTime(kill);
    }
    // A ShowToolTip while the tooltip shows only removes it; the next one arms again.
    void removeShown() {
        ASSERT_EQ(show(u"", u""), S_OK);
        quick();
    }
    HWND showAt(int x, int y) {
        pointAt(x, y);
        if (!pumpUntil([] { return findTip() && IsWindowVisible(findTip()); })) return nullptr;
        frame::testing::pumpMessages(100);
        return findTip();
    }
};

}  // namespace

TEST_F(ToolTipWine, PropertiesStartAtTheirDefaultsAndStoreWhatTheyAreGiven) {
    long value = 0;
    tip->get_DelayTime(&value);
    EXPECT_EQ(value, 100);
    tip->get_KillTime(&value);
    EXPECT_EQ(value, 500);
    tip->get_BackStyle(&value);
    EXPECT_EQ(value, 1);
    tip->get_TextColor(&value);
    EXPECT_EQ(static_cast<unsigned long>(value), 0x80000012u);
    tip->get_BackColor(&value);
    EXPECT_EQ(static_cast<unsigned long>(value), 0x80000018u);
    tip->get_GradientColorStart(&value);
    EXPECT_EQ(static_cast<unsigned long>(value), 0x80000018u);
    tip->get_GradientColorEnd(&value);
    EXPECT_EQ(static_cast<unsigned long>(value), 0x80000001u);
    ttIconSize size{};
    tip->get_IconSize(&size);
    EXPECT_EQ(size, TTIcon16);
    ttStyleEnum style{};
    tip->get_ToolTipStyle(&style);
    EXPECT_EQ(style, TTStandard);
    VARIANT_BOOL flag = VARIANT_TRUE;
    tip->get_Shadow(&flag);
    EXPECT_EQ(flag, VARIANT_FALSE);
    tip->InIDE(&flag);
    EXPECT_EQ(flag, VARIANT_FALSE);
    ComPtr<IFontDisp> font;
    tip->get_Font(font.put());
    EXPECT_TRUE(font);
    ComPtr<IPictureDisp> picture;
    tip->get_Picture(picture.put());
    EXPECT_FALSE(picture);

    // No accessor validates: odd values are stored as given.
    tip->put_BackStyle(77);
    tip->get_BackStyle(&value);
    EXPECT_EQ(value, 77);
    tip->put_DelayTime(-5);
    tip->get_DelayTime(&value);
    EXPECT_EQ(value, -5);
}

TEST_F(ToolTipWine, SubclassMembersReachTheCallerAsAutomationErrors) {
    EXPECT_EQ(tip->StopAll(), S_OK);  // nothing subclassed yet
    EXPECT_EQ(tip->StopWnd(handle()), static_cast<HRESULT>(0x800A0009));
    EXPECT_EQ(tip->AddMsg(handle(), WM_TIMER, MSG_AFTER), static_cast<HRESULT>(0x800A0009));
    long index = -1;
    EXPECT_EQ(tip->Start(0, &index), static_cast<HRESULT>(0x800A0005));
    EXPECT_EQ(tip->Start(handle(), &index), S_OK);
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(subclassed());
    EXPECT_EQ(tip->StopWnd(handle()), S_OK);
    EXPECT_FALSE(subclassed());
}

TEST_F(ToolTipWine, StandardTooltipAppearsAboveThePointerShapedAndPaintedThenGoesWhenThePointerLeaves) {
    quick();
    tip->put_BackColor(kYellow);
    tip->put_TextColor(kBlue);
    ComPtr<IPictureDisp> none;
    ASSERT_EQ(show(u"Title", u"Some text"), S_OK);
    EXPECT_TRUE(subclassed());
    EXPECT_EQ(findTip(), nullptr);  // not before the pointer has rested

    const int x = 200, y = 300;
    HWND window = showAt(x, y);
    ASSERT_NE(window, nullptr);
    RECT r{};
    GetWindowRect(window, &r);
    // Room above the pointer: the tooltip's bottom edge is the pointer's row.
    EXPECT_EQ(r.left, x + 1);
    EXPECT_EQ(r.bottom, y);
    const int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_GT(w, 40);
    EXPECT_GT(h, 13);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(window, region), ERROR);  // rectangular, no region
    DeleteObject(region);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    // The outline in the text colour, the solid fill inside, the target around it.
    EXPECT_EQ(screenPixel(r.left, r.top), static_cast<COLORREF>(kBlue));
    EXPECT_EQ(screenPixel(r.right - 1, r.bottom - 1), static_cast<COLORREF>(kBlue));
    EXPECT_EQ(screenPixel(r.left + 1, r.bottom - 2), static_cast<COLORREF>(kYellow));
    EXPECT_EQ(screenPixel(r.right - 2, r.top + 1), static_cast<COLORREF>(kYellow));
    EXPECT_EQ(screenPixel(r.left - 1, r.top), kTargetColour);
    // Some text pixels in the text colour inside the body.
    int textPixels = 0;
    for (int yy = r.top + 2; yy < r.bottom - 2; ++yy)
        for (int xx = r.left + 2; xx < r.right - 2; ++xx) textPixels += screenPixel(xx, yy) == kBlue;
    EXPECT_GT(textPixels, 20);

    // Leaving the target: the window goes and the properties are reset, the picture kept.
    SetCursorPos(50, 50);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); }, 3000));
    long value = 0;
    tip->get_BackColor(&value);
    EXPECT_EQ(static_cast<unsigned long>(value), 0x80000018u);
    tip->get_DelayTime(&value);
    EXPECT_EQ(value, 100);
    EXPECT_TRUE(subclassed());  // until the next ShowToolTip or the object's end
}

TEST_F(ToolTipWine, BalloonBelowAndRightOfThePointerHasTheRegionOfTheStepsAndTheGradient) {
    makeTarget(0, 0);
    quick();
    tip->put_ToolTipStyle(TTBalloon);
    tip->put_BackStyle(TTGdtH);
    tip->put_GradientColorStart(kRed);
    tip->put_GradientColorEnd(kBlue);
    tip->put_TextColor(0);
    ASSERT_EQ(show(u"", u"Balloon"), S_OK);
    const int x = 40, y = 12;  // no room above: below, arrow on top
    HWND window = showAt(x, y);
    ASSERT_NE(window, nullptr);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, x + 1 - 17);
    EXPECT_EQ(r.top, y + 1 + 17);
    const int w = r.right - r.left, h = r.bottom - r.top;

    // The window region, pixel for pixel, is the one the steps give.
    const layout::Masks masks = layout::applySteps(w, h, layout::balloonSteps(w, h, 17, 17));
    EXPECT_EQ(regionMismatches(window, masks), 0);
    EXPECT_TRUE(masks.inWindow(18, 0));  // the arrow's tip
    EXPECT_FALSE(masks.inWindow(17, 0));
    EXPECT_FALSE(masks.inWindow(19, 0));

    // Outside the region the target shows through; inside, the gradient's column colours.
    EXPECT_EQ(screenPixel(r.left, r.top), kTargetColour);
    EXPECT_EQ(screenPixel(r.left + 2, r.top + 17), kTargetColour);  // the rounded corner
    const auto colours = layout::gradient(kRed, kBlue, w);
    const int row = r.top + h - 3;  // below the text, above the bottom outline
    int wrong = 0;
    for (int c = 6; c < w - 6; ++c) wrong += screenPixel(r.left + c, row) != colours[c];
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(screenPixel(r.left + 18, r.top), static_cast<COLORREF>(0));  // the tip is outline

    // After a gradient paint the start and end read as resolved colours.
    long value = 0;
    tip->get_GradientColorStart(&value);
    EXPECT_EQ(value, kRed);
}

TEST_F(ToolTipWine, BalloonNearTheBottomRightCornerPointsFromBelowOnTheLeft) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    makeTarget(sw - 300, sh - 200, 300, 200);
    quick();
    tip->put_ToolTipStyle(TTBalloon);
    ASSERT_EQ(show(u"Corner", u"Placed to the left"), S_OK);
    const int x = sw - 5, y = sh - 5;
    HWND window = showAt(x, y);
    ASSERT_NE(window, nullptr);
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_EQ(r.left, x - w + 17);
    EXPECT_EQ(r.bottom, y);
    const layout::Masks masks = layout::applySteps(w, h, layout::balloonSteps(w, h, -17, -17));
    EXPECT_EQ(regionMismatches(window, masks), 0);
    EXPECT_TRUE(masks.inWindow(w - 18, h - 1));  // the tip, at the bottom
}

TEST_F(ToolTipWine, TransparencyBlendsThePaintedTooltipWithTheScreenBehindIt) {
    quick();
    tip->put_BackColor(kYellow);
    ASSERT_EQ(show(u"", u"x", 0, 0), S_OK);
    HWND window = showAt(300, 300);
    ASSERT_NE(window, nullptr);
    RECT r{};
    GetWindowRect(window, &r);
    // Opacity 0: only the captured background.
    EXPECT_EQ(screenPixel(r.left, r.top), kTargetColour);
    EXPECT_EQ(screenPixel(r.right - 3, r.bottom - 3), kTargetColour);
    ASSERT_EQ(show(u"", u"x"), S_OK);  // removes the window only
    EXPECT_FALSE(IsWindow(window));

    tip->put_BackColor(kYellow);
    quick();
    ASSERT_EQ(show(u"", u"x", 0, 40), S_OK);
    SetCursorPos(310, 310);
    window = showAt(300, 300);
    ASSERT_NE(window, nullptr);
    GetWindowRect(window, &r);
    // 40 % yellow over 60 % green, channel by channel, rounded half to even.
    layout::BlendTables tables;
    std::uint32_t background = 0x00008000, tooltip = 0x00FFFF00;  // as DIB pixels: 0xRRGGBB
    layout::blend(tables, &background, &tooltip, 1, 40);
    const COLORREF expected = RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF);
    EXPECT_EQ(screenPixel(r.right - 3, r.bottom - 3), expected);
}

// One object shows a wide tooltip, then narrower ones (its drawing buffers
// are kept from show to show, at the largest size yet): each picture is its
// own, gradient columns and blend by its own width, nothing left of the one
// before, and the window exactly the measured size however small.
TEST_F(ToolTipWine, EachShowOfOneObjectPaintsItsOwnPictureAtItsOwnSize) {
    quick();
    tip->put_BackStyle(TTGdtH);
    tip->put_GradientColorStart(kRed);
    tip->put_GradientColorEnd(kBlue);
    tip->put_TextColor(0);
    ASSERT_EQ(show(u"A wide title for a wide tooltip", u"one\r\ntwo\r\nthree\r\nfour", 0, 40), S_OK);
    HWND window = showAt(200, 300);
    ASSERT_NE(window, nullptr);
    RECT wide{};
    GetWindowRect(window, &wide);
    removeShown();
    ASSERT_EQ(show(u"", u"x", 0, 40), S_OK);
    window = showAt(210, 310);
    ASSERT_NE(window, nullptr);
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    ASSERT_LT(w, wide.right - wide.left);
    ASSERT_LT(h, wide.bottom - wide.top);
    // The row above the bottom outline: 40 % of each gradient column over the target.
    const auto colours = layout::gradient(kRed, kBlue, w);
    layout::BlendTables tables;
    int wrong = 0;
    for (int c = 1; c < w - 1; ++c) {
        std::uint32_t background = layout::dibPixel(kTargetColour);
        const std::uint32_t tooltip = layout::dibPixel(colours[c]);
        layout::blend(tables, &background, &tooltip, 1, 40);
        wrong += screenPixel(r.left + c, r.bottom - 2) != layout::dibPixel(background & 0xFFFFFF);
    }
    EXPECT_EQ(wrong, 0);

    // A picture fill without a picture fills nothing: black, as a new buffer is.
    removeShown();
    tip->put_BackStyle(TTPict);
    ASSERT_EQ(show(u"", u""), S_OK);
    window = showAt(220, 320);
    ASSERT_NE(window, nullptr);
    GetWindowRect(window, &r);
    EXPECT_EQ(screenPixel(r.right - 3, r.bottom - 3), RGB(0, 0, 0));
    EXPECT_EQ(screenPixel(r.left + 2, r.top + 2), RGB(0, 0, 0));
    // Its width is the bold space's and 20, with no minimum a framed window would have.
    ComPtr<IFontDisp> fontDisp;
    ASSERT_EQ(tip->get_Font(fontDisp.put()), S_OK);
    ComPtr<IFont> font;
    ASSERT_EQ(fontDisp->QueryInterface(IID_IFont, font.putVoid()), S_OK);
    font->put_Bold(TRUE);
    HFONT handle = nullptr;
    font->get_hFont(&handle);
    frame::WindowDc screen(nullptr);
    frame::SelectedObject selected(screen.get(), handle);
    RECT space{0, 0, 0, 0};
    DrawTextA(screen.get(), " ", 1, &space, DT_CALCRECT);
    EXPECT_EQ(r.right - r.left, space.right + 20);
}

TEST_F(ToolTipWine, KillTimeDestroysTheTooltipOnceAndTheNextShowOnlyRemovesIt) {
    quick(2, 40);
    ASSERT_EQ(show(u"T", u"Short-lived"), S_OK);
    pointAt(250, 250);
    ASSERT_TRUE(pumpUntil([] { return findTip() != nullptr; }));
    HWND window = findTip();
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); }, 3000));
    // The pointer stays: every later tick repeats the reset, and the stored
    // handle never reaches another window.
    HWND other = CreateWindowExA(0, "LanthorTipTarget", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    frame::testing::pumpMessages(200);
    EXPECT_TRUE(IsWindow(other));
    long value = 0;
    tip->get_KillTime(&value);
    EXPECT_EQ(value, 500);

    ASSERT_EQ(show(u"T", u"again"), S_OK);  // a handle is still stored: only removal
    EXPECT_FALSE(subclassed());
    EXPECT_TRUE(IsWindow(other));
    DestroyWindow(other);
    ASSERT_EQ(show(u"T", u"again"), S_OK);  // arms again
    EXPECT_TRUE(subclassed());
}

TEST_F(ToolTipWine, AlphaOutOfRangeIsOverflowAndAboveOneHundredNeverShowsNorLeavesWindowsBehind) {
    quick(1);
    EXPECT_EQ(show(u"T", u"x", 0, 256), static_cast<HRESULT>(0x800A0006));
    EXPECT_FALSE(subclassed());
    EXPECT_EQ(show(u"T", u"x", 0, -1), static_cast<HRESULT>(0x800A0006));

    ASSERT_EQ(show(u"T", u"x", 0, 150), S_OK);
    pointAt(260, 260);
    int most = 0;
    pumpUntil([&] { most = std::max(most, tipWindowCount()); return false; }, 800);
    EXPECT_EQ(most, 1);  // retried, one window at a time
    HWND window = findTip();
    EXPECT_TRUE(window == nullptr || !IsWindowVisible(window));
}

TEST_F(ToolTipWine, ReleasingTheObjectWhileItsTooltipShowsGivesEverythingBack) {
    quick();
    ASSERT_EQ(show(u"Going", u"away"), S_OK);
    HWND window = showAt(220, 260);
    ASSERT_NE(window, nullptr);
    tip.reset();
    EXPECT_FALSE(subclassed());
    EXPECT_FALSE(IsWindow(window));
    frame::testing::pumpMessages(50);  // no tick reaches a freed object
}

TEST_F(ToolTipWine, IconsTextAndFillsWithoutContentStillShow) {
    quick();
    tip->put_IconSize(TTIcon32);
    HICON icon = LoadIcon(nullptr, IDI_WARNING);
    ASSERT_EQ(show(u"", u"", static_cast<long>(reinterpret_cast<LONG_PTR>(icon))), S_OK);
    HWND window = showAt(210, 280);
    ASSERT_NE(window, nullptr);
    RECT r{};
    GetWindowRect(window, &r);
    // Width: the space's width plus 25 + 32 for the icon, plus 20.
    EXPECT_GE(r.right - r.left, 25 + 32 + 20);
    // The icon is drawn at (12, 8): something other than the fill shows there.
    int iconPixels = 0;
    const COLORREF fill = GetSysColor(COLOR_INFOBK);
    for (int yy = 8; yy < 40; ++yy)
        for (int xx = 12; xx < 44; ++xx) iconPixels += screenPixel(r.left + xx, r.top + yy) != fill;
    EXPECT_GT(iconPixels, 50);
    ASSERT_EQ(show(u"", u""), S_OK);  // removes

    // Not an icon, no picture for a picture fill, a stock icon: shown all the same.
    quick();
    tip->put_BackStyle(TTPict);
    ASSERT_EQ(show(u"T", u"x", 0x1234), S_OK);
    window = showAt(212, 282);
    EXPECT_NE(window, nullptr);
    ASSERT_EQ(show(u"", u""), S_OK);
    quick();
    ASSERT_EQ(show(u"Info", u"stock", TTI_INFO), S_OK);
    EXPECT_NE(showAt(214, 284), nullptr);
}

TEST_F(ToolTipWine, ShadowSetsOnlyTheDropShadowBitOfTheDialogClass) {
    quick();
    tip->put_Shadow(VARIANT_TRUE);
    ASSERT_EQ(show(u"Shadow", u"on"), S_OK);
    HWND window = showAt(230, 290);
    ASSERT_NE(window, nullptr);
    const DWORD withShadow = GetClassLongA(window, GCL_STYLE);
    EXPECT_TRUE(withShadow & CS_DROPSHADOW);
    removeShown();
    tip->put_Shadow(VARIANT_FALSE);
    ASSERT_EQ(show(u"Shadow", u"off"), S_OK);
    window = showAt(232, 292);
    ASSERT_NE(window, nullptr);
    // The class is the process's dialog class: its other style bits stay.
    EXPECT_EQ(GetClassLongA(window, GCL_STYLE), withShadow & ~static_cast<DWORD>(CS_DROPSHADOW));
}

namespace {

// A host window whose own procedure runs the host code a test gives it.
std::function<void(HWND, UINT)> g_hostCode;
LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_hostCode) g_hostCode(window, message);
    return DefWindowProcA(window, message, wParam, lParam);
}

HRESULT libraryCanUnloadNow() {
    using CanUnload = HRESULT(WINAPI*)();
    auto canUnload = reinterpret_cast<CanUnload>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("Lanthor.dll"), "DllCanUnloadNow")));
    return canUnload ? canUnload() : E_FAIL;
}

// A host's hook that drops its reference when the tooltip window is created,
// which happens inside the tooltip's own callback.
ComPtr<_ExpToolTip>* g_releasedOnTipCreation = nullptr;
LRESULT CALLBACK releaseOnTipCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_releasedOnTipCreation) {
        const char* name = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpszName;
        if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) && std::string_view(name) == "ZVQ-EXTOOLTIP")
            std::exchange(g_releasedOnTipCreation, nullptr)->reset();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

// The host releases its last reference from the watched window's own
// procedure, while the window's block is on the stack: in a message the
// tooltip watches (its after phase then comes to a dead object's tables), in
// WM_CLOSE and in WM_DESTROY. A second watched window is let go as well.
TEST_F(ToolTipWine, ReleasedFromTheWatchedWindowsOwnProcedureNothingReachesTheDeadObject) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = hostWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(kTargetColour);
    wc.lpszClassName = "LanthorHostTarget";
    RegisterClassA(&wc);
    for (const UINT message : {WM_MOUSEMOVE, WM_TIMER, WM_CLOSE, WM_DESTROY}) {
        SCOPED_TRACE(message);
        makeTarget(100, 100, 500, 400, "LanthorHostTarget");
        const frame::UniqueWindow other(CreateWindowExA(0, "LanthorHostTarget", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                                        nullptr, GetModuleHandleA(nullptr), nullptr));
        const auto otherOwnProc = GetWindowLongPtrA(other.get(), GWLP_WNDPROC);
        if (!tip) tip = frame::testing::createFromDll<_ExpToolTip>(L"Lanthor.dll", __uuidof(ExpToolTip));
        ASSERT_TRUE(tip);
        quick();
        ASSERT_EQ(show(u"Host", u"goes"), S_OK);
        const long otherHandle = static_cast<long>(reinterpret_cast<LONG_PTR>(other.get()));
        long index = 0;
        ASSERT_EQ(tip->Start(otherHandle, &index), S_OK);
        ASSERT_EQ(tip->AddMsg(otherHandle, WM_USER, MSG_BEFORE_AND_AFTER), S_OK);

        bool released = false;
        g_hostCode = [&](HWND window, UINT m) {
            if (window != target || m != message || !tip) return;
            tip.reset();
            released = true;
            EXPECT_FALSE(subclassed());
            EXPECT_EQ(GetWindowLongPtrA(other.get(), GWLP_WNDPROC), otherOwnProc);
            SendMessageA(other.get(), WM_USER, 0, 0);
            frame::testing::pumpMessages(80);  // the host's own message loop, inside the block
        };
        if (message == WM_CLOSE)
            SendMessageA(target, WM_CLOSE, 0, 0);  // the default handling then destroys the window
        else if (message == WM_DESTROY)
            DestroyWindow(target);
        else
            pointAt(250, 250);  // the move, then the ticks of the timer it arms
        EXPECT_TRUE(pumpUntil([&] { return released; }, 3000));
        g_hostCode = nullptr;
        frame::testing::pumpMessages(100);
        EXPECT_EQ(tipWindowCount(), 0);
        if (IsWindow(target)) {
            EXPECT_FALSE(subclassed());
            pointAt(260, 260);
        } else {
            target = nullptr;
        }
        EXPECT_EQ(libraryCanUnloadNow(), S_OK);
    }
}

// The last reference goes inside the tooltip's own callback (a host's hook
// sees the tooltip window being created), in the after phase where the
// tooltip works and in a before phase a client added.
TEST_F(ToolTipWine, ReleasedInsideItsOwnCallbackTheObjectEndsAfterTheMessage) {
    const frame::UniqueHookHandle hook(
        SetWindowsHookExA(WH_CBT, releaseOnTipCreation, nullptr, GetCurrentThreadId()));
    ASSERT_TRUE(hook);
    for (const bool before : {false, true}) {
        SCOPED_TRACE(before ? "before" : "after");
        if (!tip) tip = frame::testing::createFromDll<_ExpToolTip>(L"Lanthor.dll", __uuidof(ExpToolTip));
        ASSERT_TRUE(tip);
        quick();
        ASSERT_EQ(show(u"Host", u"goes"), S_OK);
        if (before) ASSERT_EQ(tip->AddMsg(handle(), WM_TIMER, MSG_BEFORE), S_OK);
        g_releasedOnTipCreation = &tip;
        pointAt(250, 250);
        EXPECT_TRUE(pumpUntil([&] { return !tip; }, 3000));
        g_releasedOnTipCreation = nullptr;
        frame::testing::pumpMessages(100);
        // The object ended once the message was handled, taking its window along.
        EXPECT_EQ(tipWindowCount(), 0);
        EXPECT_FALSE(subclassed());
        pointAt(260, 260);
        EXPECT_EQ(libraryCanUnloadNow(), S_OK);
    }
}
