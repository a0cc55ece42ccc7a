// OwnedWindow: the stored handle reaches only its owner's own window.
#include "common/window.h"

#include <gtest/gtest.h>

#include <thread>

#include "common/testing/harness.h"

namespace {

constexpr UINT kProbe = WM_APP + 7;
int probesReceived = 0;

LRESULT CALLBACK probeProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == kProbe) return ++probesReceived;
    return DefWindowProcA(h, m, w, l);
}

HWND newWindow() {
    static const ATOM registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = probeProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "FrameOwnedWindowProbe";
        return RegisterClassA(&wc);
    }();
    return registered ? CreateWindowExA(0, "FrameOwnedWindowProbe", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr)
                      : nullptr;
}

TEST(OwnedWindow, ReachesItsWindowUntilDestroyedAndKeepsTheHandle) {
    probesReceived = 0;
    HWND window = newWindow();
    ASSERT_NE(window, nullptr);
    {
        frame::OwnedWindow owned;
        EXPECT_FALSE(owned.live());
        EXPECT_EQ(owned.send(kProbe, 0, 0), 0);
        owned.adopt(window);
        EXPECT_TRUE(owned.live());
        EXPECT_EQ(owned.send(kProbe, 0, 0), 1);
        owned.destroy();
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(owned.handle(), window);
        owned.destroy();  // again: nothing to reach
        EXPECT_EQ(owned.send(kProbe, 0, 0), 0);
    }
    EXPECT_EQ(probesReceived, 1);

    HWND kept = newWindow();
    {
        frame::OwnedWindow owned;
        owned.adopt(kept);
        HWND next = newWindow();
        owned.adopt(next);  // the previous window goes
        EXPECT_FALSE(IsWindow(kept));
        kept = next;
    }
    EXPECT_FALSE(IsWindow(kept));  // and the last one with its owner
}

TEST(OwnedWindow, AWindowWithoutThisOwnersMarkIsNeverReached) {
    probesReceived = 0;
    frame::OwnedWindow owned, other;
    HWND window = newWindow();
    owned.adopt(window);
    // The handle now stands for a window this owner did not create: another owner's mark.
    other.adopt(window);
    EXPECT_FALSE(owned.live());
    EXPECT_EQ(owned.send(kProbe, 0, 0), 0);
    owned.destroy();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(other.live());
    EXPECT_EQ(other.send(kProbe, 0, 0), 1);

    // A window destroyed by someone else.
    DestroyWindow(window);
    EXPECT_FALSE(other.live());
    other.destroy();
    EXPECT_EQ(probesReceived, 1);
}

TEST(OwnedWindow, AWindowOfAnotherThreadIsNotReached) {
    HWND foreign = nullptr;
    frame::UniqueKernelHandle created(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    frame::UniqueKernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread owner([&] {
        foreign = newWindow();
        SetEvent(created.get());
        while (WaitForSingleObject(done.get(), 0) == WAIT_TIMEOUT) frame::testing::pumpMessages(5);
        DestroyWindow(foreign);
    });
    WaitForSingleObject(created.get(), 5000);
    {
        frame::OwnedWindow owned;
        owned.adopt(foreign);
        EXPECT_FALSE(owned.live());
    }
    EXPECT_TRUE(IsWindow(foreign));
    SetEvent(done.get());
    owner.join();
}

}  // namespace

namespace {

int pumpedProbes = 0;
LRESULT CALLBACK paintedProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == kProbe) ++pumpedProbes;
    return DefWindowProcA(h, m, w, l);
}

TEST(ScreenTesting, ScreenAreaReadsWhatAWindowPaintedAndPumpUntilWaitsForPostedWork) {
    constexpr COLORREF kColour = RGB(10, 200, 30);
    frame::UniqueBrush brush(CreateSolidBrush(kColour));
    WNDCLASSA wc{};
    wc.lpfnWndProc = paintedProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(brush.get());
    wc.lpszClassName = "FrameScreenProbe";
    ASSERT_NE(RegisterClassA(&wc), 0);
    frame::UniqueWindow window(CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 30, 40,
                                               20, 10, nullptr, nullptr, wc.hInstance, nullptr));
    UpdateWindow(window.get());
    frame::testing::pumpMessages(50);
    const std::vector<COLORREF> pixels = frame::testing::screenArea({30, 40, 50, 50});
    ASSERT_EQ(pixels.size(), 200u);
    for (COLORREF c : pixels) EXPECT_EQ(c, kColour);
    EXPECT_EQ(frame::testing::screenPixel(49, 49), kColour);
    EXPECT_TRUE(frame::testing::screenArea({5, 5, 5, 9}).empty());

    pumpedProbes = 0;
    PostMessageA(window.get(), kProbe, 0, 0);
    EXPECT_TRUE(frame::testing::pumpUntil([] { return pumpedProbes == 1; }, 2000));
    EXPECT_FALSE(frame::testing::pumpUntil([] { return pumpedProbes == 2; }, 50));
    window.reset();
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

}  // namespace
