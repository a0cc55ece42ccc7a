// The subclasser on real windows: the 32-bit block as published, or the
// 64-bit block, with a stand-in object whose entry 7 records the callbacks.
#include "common/testing/error_of.h"
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <new>
#include <vector>

#include "common/testing/harness.h"

#include "common/errors.h"
#include "lanthor/tooltips/window_subclasser.h"

using namespace lanthor;

namespace {

struct Seen {
    bool before;
    LONG uMsg, wParam, lParam, lReturn;
};

struct Recorder {
    void* const* vtable;
    std::vector<Seen> seen;
    std::function<void(bool, VARIANT_BOOL*, LONG*, LONG*, LONG*)> act;
};

HRESULT STDMETHODCALLTYPE recorderProc(void* self, VARIANT_BOOL bBefore, VARIANT_BOOL* bHandled,
                                       LONG* lReturn, LONG* hWnd, LONG* uMsg, LONG* wParam,
                                       LONG* lParam) {
    auto* r = static_cast<Recorder*>(self);
    (void)hWnd;
    r->seen.push_back({bBefore != 0, *uMsg, *wParam, *lParam, *lReturn});
    if (r->act) r->act(bBefore != 0, bHandled, lReturn, wParam, lParam);
    return S_OK;
}

void* const kVtable[8] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          reinterpret_cast<void*>(&recorderProc)};

// The window's own procedure answers test messages with wParam * 2 + lParam,
// after running the host code a test gives it.
constexpr UINT kTest = WM_APP + 1;
constexpr UINT kOther = WM_APP + 2;
std::function<void(HWND, UINT, WPARAM)> g_hostCode;
LRESULT CALLBACK baseProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (g_hostCode) g_hostCode(h, m, w);
    if (m == kTest || m == kOther) return static_cast<LRESULT>(w) * 2 + l;
    return DefWindowProcA(h, m, w, l);
}

class SubclassWine : public ::testing::Test {
protected:
    Recorder recorder{kVtable, {}, {}};
    HWND window = nullptr;
    std::unique_ptr<WindowSubclasser> subclasser;

    static void SetUpTestSuite() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = baseProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LanthorSubclassTest";
        RegisterClassA(&wc);
    }
    void SetUp() override {
        window = CreateWindowExA(0, "LanthorSubclassTest", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        subclasser = std::make_unique<WindowSubclasser>(&recorder);
    }
    void TearDown() override {
        g_hostCode = nullptr;
        subclasser.reset();
        EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&baseProc));
        DestroyWindow(window);
    }
    Address h() const { return reinterpret_cast<Address>(window); }
    LRESULT send(UINT m, WPARAM w, LPARAM l) { return SendMessageA(window, m, w, l); }
    SubclassTable& table() { return subclasser->table(); }
};

using frame::testing::errorOf;

}  // namespace

TEST_F(SubclassWine, FreshBlockPassesThrough) {
    EXPECT_EQ(table().start(h()), 0);
    EXPECT_NE(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&baseProc));
    EXPECT_EQ(send(kTest, 20, 3), 43);
    EXPECT_TRUE(recorder.seen.empty());
}

TEST_F(SubclassWine, BeforeAndAfterPhasesWithTheirContract) {
    table().start(h());
    table().addMsg(h(), kTest, MSG_BEFORE_AND_AFTER);
    EXPECT_EQ(send(kTest, 5, 1), 11);
    ASSERT_EQ(recorder.seen.size(), 2u);
    EXPECT_TRUE(recorder.seen[0].before);
    EXPECT_EQ(recorder.seen[0].lReturn, 0);
    EXPECT_FALSE(recorder.seen[1].before);
    EXPECT_EQ(recorder.seen[1].lReturn, 11);  // the previous procedure's result
    EXPECT_EQ(recorder.seen[1].wParam, 5);

    // Before: change the arguments the window gets; after: change the result.
    recorder.act = [](bool before, VARIANT_BOOL*, LONG* r, LONG* w, LONG*) {
        if (before)
            *w = 100;
        else
            *r += 1000;
    };
    EXPECT_EQ(send(kTest, 5, 1), 1201);
    // Handled before: neither the window nor the after phase runs.
    recorder.seen.clear();
    recorder.act = [](bool before, VARIANT_BOOL* handled, LONG* r, LONG*, LONG*) {
        if (before) {
            *handled = VARIANT_TRUE;
            *r = -7;
        }
    };
    EXPECT_EQ(send(kTest, 5, 1), -7);
    EXPECT_EQ(recorder.seen.size(), 1u);
    // An unselected message goes straight through.
    recorder.seen.clear();
    EXPECT_EQ(send(kOther, 1, 1), 3);
    EXPECT_TRUE(recorder.seen.empty());
}

TEST_F(SubclassWine, AllMessagesAndRemovals) {
    table().start(h());
    table().addMsg(h(), kAllMessages, MSG_BEFORE);
    send(kOther, 0, 0);
    send(kTest, 0, 0);
    EXPECT_EQ(recorder.seen.size(), 2u);
    table().delMsg(h(), kAllMessages, MSG_BEFORE);
    table().addMsg(h(), kTest, MSG_AFTER);
    table().addMsg(h(), kOther, MSG_AFTER);
    table().delMsg(h(), kTest, MSG_AFTER);
    recorder.seen.clear();
    send(kTest, 0, 0);
    send(kOther, 0, 0);
    ASSERT_EQ(recorder.seen.size(), 1u);
    EXPECT_EQ(recorder.seen[0].uMsg, static_cast<LONG>(kOther));
    EXPECT_FALSE(recorder.seen[0].before);
}

TEST_F(SubclassWine, TwoStartsChainAndComeOffInOrder) {
    EXPECT_EQ(table().start(h()), 0);
    const auto first = GetWindowLongPtrA(window, GWLP_WNDPROC);
    EXPECT_EQ(table().start(h()), 1);
    EXPECT_EQ(static_cast<LONG_PTR>(table().entries()[1].previousProc), first);
    table().addMsg(h(), kTest, MSG_AFTER);  // the later entry
    recorder.act = [](bool, VARIANT_BOOL*, LONG* r, LONG*, LONG*) { *r += 1; };
    EXPECT_EQ(send(kTest, 1, 0), 3);
    table().stopWnd(h());
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), first);
    EXPECT_EQ(send(kTest, 1, 0), 2);
    table().stopWnd(h());
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&baseProc));
}

TEST_F(SubclassWine, BadWindowsAndUnknownWindows) {
    EXPECT_EQ(errorOf([&] { table().start(0); }), 5);
    EXPECT_EQ(errorOf([&] { table().start(0x7654); }), 5);
    EXPECT_EQ(errorOf([&] { table().stopWnd(h()); }), 9);
    table().stopAll();
    table().start(h());
    EXPECT_EQ(errorOf([&] { table().addMsg(h() + 4, kTest, MSG_AFTER); }), 9);
}

TEST_F(SubclassWine, StopAllAtTheEndGivesTheProcedureBack) {
    table().start(h());
    table().start(h());
    table().addMsg(h(), kTest, MSG_BEFORE);
    // TearDown releases the subclasser and checks the window's own procedure is back.
}

namespace {

enum class ReleasedIn { BeforeCallback, PreviousProcedure, AfterCallback };

struct ReleaseCase {
    ReleasedIn where;
    int windows;   // watched windows; the message goes to the first
    int starts;    // blocks per window, chained
    bool nested;   // the release comes in a message sent from inside the window's own procedure
};

}  // namespace

// The blocks' owner released inside a message one of its blocks handles: the
// block returns through its own code, so it stays until no block runs on the
// thread, and calls nothing of the owner any more; the windows answer with
// their own procedures at once; the thread's message loop frees the blocks.
TEST_F(SubclassWine, ReleasedInsideAMessageOfItsOwnBlockTheBlocksOutliveItUntilNoneRuns) {
    for (const ReleaseCase c : {ReleaseCase{ReleasedIn::BeforeCallback, 1, 1, false},
                                ReleaseCase{ReleasedIn::PreviousProcedure, 1, 1, false},
                                ReleaseCase{ReleasedIn::AfterCallback, 1, 1, false},
                                ReleaseCase{ReleasedIn::PreviousProcedure, 1, 2, false},
                                ReleaseCase{ReleasedIn::BeforeCallback, 3, 1, true},
                                ReleaseCase{ReleasedIn::PreviousProcedure, 3, 1, false},
                                ReleaseCase{ReleasedIn::PreviousProcedure, 2, 2, true},
                                ReleaseCase{ReleasedIn::AfterCallback, 3, 1, true}}) {
        SCOPED_TRACE(::testing::Message() << "released in " << static_cast<int>(c.where) << ", " << c.windows
                                          << " windows, " << c.starts << " blocks each"
                                          << (c.nested ? ", nested" : ""));
        std::vector<HWND> windows{window};
        for (int i = 1; i < c.windows; ++i)
            windows.push_back(CreateWindowExA(0, "LanthorSubclassTest", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                              nullptr, GetModuleHandleA(nullptr), nullptr));
        subclasser = std::make_unique<WindowSubclasser>(&recorder);
        const long blocksBefore = WindowSubclasser::liveBlocks();
        const long blocks = c.windows * c.starts;
        for (HWND w : windows) {
            for (int i = 0; i < c.starts; ++i) {
                table().start(reinterpret_cast<Address>(w));
                table().addMsg(reinterpret_cast<Address>(w), kTest, MSG_BEFORE_AND_AFTER);
            }
        }
        ASSERT_EQ(WindowSubclasser::liveBlocks(), blocksBefore + blocks);

        int callsAfterRelease = 0;
        auto releaseHere = [&](bool inPhase, WPARAM wParam) {
            if (!inPhase || !subclasser || (c.nested && wParam != 0)) return;
            subclasser.reset();
            for (HWND w : windows) EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&baseProc));
            EXPECT_EQ(SendMessageA(window, kOther, 2, 1), 5);  // its own procedure, at once
            // A message loop inside the running block: the flush timer fires here and must wait.
            frame::testing::pumpMessages(120);
            EXPECT_EQ(WindowSubclasser::liveBlocks(), blocksBefore + blocks);
        };
        recorder.act = [&](bool before, VARIANT_BOOL*, LONG*, LONG* wParam, LONG*) {
            if (!subclasser) ++callsAfterRelease;
            releaseHere(c.where == (before ? ReleasedIn::BeforeCallback : ReleasedIn::AfterCallback),
                        static_cast<WPARAM>(*wParam));
        };
        g_hostCode = [&](HWND h, UINT m, WPARAM wParam) {
            if (m != kTest || h != window) return;
            if (c.nested && wParam == 1) {
                EXPECT_EQ(SendMessageA(window, kTest, 0, 7), 7);  // through the same blocks once more
                for (HWND w : windows) EXPECT_EQ(SendMessageA(w, kOther, 1, 1), 3);
                EXPECT_FALSE(subclasser);
                EXPECT_EQ(WindowSubclasser::liveBlocks(), blocksBefore + blocks);
                return;
            }
            releaseHere(c.where == ReleasedIn::PreviousProcedure, wParam);
        };
        EXPECT_EQ(send(kTest, c.nested ? 1 : 0, 1), c.nested ? 3 : 1);
        EXPECT_FALSE(subclasser);
        EXPECT_EQ(callsAfterRelease, 0);
        g_hostCode = nullptr;

        // Outside every block: the thread's message loop lets them go.
        EXPECT_TRUE(frame::testing::pumpUntil([&] { return WindowSubclasser::liveBlocks() == blocksBefore; }));
        for (HWND w : windows) {
            EXPECT_EQ(SendMessageA(w, kTest, 4, 1), 9);
            if (w != window) DestroyWindow(w);
        }
        recorder.act = nullptr;
        recorder.seen.clear();
    }
}

TEST_F(SubclassWine, StoppedOutsideEveryBlockTheBlockIsFreedAtOnce) {
    const long before = WindowSubclasser::liveBlocks();
    table().start(h());
    table().start(h());
    EXPECT_EQ(WindowSubclasser::liveBlocks(), before + 2);
    table().stopAll();
    EXPECT_EQ(WindowSubclasser::liveBlocks(), before);
}

// What runs during a message (the callback, the window's own procedure) may
// change the block's tables, and the message's later phases see the change:
// that is what keeps a stopped block from calling back.
TEST_F(SubclassWine, ChangesMadeDuringAMessageCountForItsLaterPhases) {
    table().start(h());
    table().addMsg(h(), kTest, MSG_BEFORE_AND_AFTER);
    g_hostCode = [&](HWND, UINT m, WPARAM) {
        if (m == kTest) table().delMsg(h(), kAllMessages, MSG_AFTER);
    };
    EXPECT_EQ(send(kTest, 1, 1), 3);
    ASSERT_EQ(recorder.seen.size(), 1u);
    EXPECT_TRUE(recorder.seen[0].before);

    g_hostCode = nullptr;
    table().addMsg(h(), kTest, MSG_AFTER);
    recorder.seen.clear();
    recorder.act = [&](bool before, VARIANT_BOOL*, LONG*, LONG*, LONG*) {
        if (before) table().stopWnd(h());
    };
    EXPECT_EQ(send(kTest, 1, 1), 3);  // the window's own procedure still ran
    EXPECT_EQ(recorder.seen.size(), 1u);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&baseProc));

    table().start(h());
    table().addMsg(h(), kTest, MSG_BEFORE);
    recorder.seen.clear();
    recorder.act = [&](bool before, VARIANT_BOOL*, LONG*, LONG*, LONG*) {
        if (before) table().addMsg(h(), kTest, MSG_AFTER);
    };
    EXPECT_EQ(send(kTest, 1, 1), 3);
    ASSERT_EQ(recorder.seen.size(), 2u);
    EXPECT_FALSE(recorder.seen[1].before);
}
