// Leak runs: per class, rounds of create, read every property that takes no
// argument, release. After the warm-up the process's handles, GDI and USER
// objects and private memory stay within a small allowance.
#include <cstring>

#include "tests/sweep/leak_rounds.h"

namespace sweep {
namespace {

constexpr size_t kWarmUp = 200;
constexpr size_t kRounds = 2000;

TEST(Leaks, TheCountersSeeWhatIsLeaked) {
    Growth g;
    g.before = readCounters();
    std::vector<HANDLE> events;
    std::vector<HGDIOBJ> brushes;
    std::vector<HWND> windows;
    for (int i = 0; i < 3; ++i) {
        events.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        brushes.push_back(CreateSolidBrush(0));
        windows.push_back(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                          nullptr));
    }
    // Written, as leaked heap memory is: this platform counts pages in use.
    void* memory = VirtualAlloc(nullptr, 1 << 20, MEM_COMMIT, PAGE_READWRITE);
    std::memset(memory, 1, 1 << 20);
    std::vector<void*> blocks;
    for (int i = 0; i < 3; ++i) blocks.push_back(HeapAlloc(GetProcessHeap(), 0, 1000));
    g.after = readCounters();
    EXPECT_GE(g.committedPrivate(), 1 << 20);
    EXPECT_GE(g.heapBytes(), 3000);
    for (void* b : blocks) HeapFree(GetProcessHeap(), 0, b);
    EXPECT_GE(g.handles(), 3);
    EXPECT_GE(g.gdiObjects(), 3);
    EXPECT_GE(g.userObjects(), 3);
    EXPECT_GE(g.privateBytes(), 1 << 20);
    VirtualFree(memory, 0, MEM_RELEASE);
    for (HANDLE h : events) CloseHandle(h);
    for (HGDIOBJ b : brushes) DeleteObject(b);
    for (HWND w : windows) DestroyWindow(w);
}

TEST(Leaks, RoundsOfEveryClassLeaveTheCountersWhereTheyWere) {
    for (const Library& library : librariesUnderTest()) {
        for (const Class& cls : library.classes) {
            const Growth g = leakRounds(library, cls, kWarmUp, kRounds);
            const std::string name = frame::testing::narrow(library.name + u"." + cls.name);
            EXPECT_LE(g.handles(), 8) << name;
            EXPECT_LE(g.gdiObjects(), 8) << name;
            EXPECT_LE(g.userObjects(), 8) << name;
            // Heaps grow in steps of their own; a leak of even 100 bytes a round would pass 200 KiB.
            EXPECT_LE(g.privateBytes(), 256 * 1024) << name;
            EXPECT_LE(g.committedPrivate(), 256 * 1024) << name;
            // Exact to the byte: 8 a round would pass 16 KiB.
            EXPECT_LE(g.heapBytes(), 16 * 1024) << name;
        }
    }
}

}  // namespace
}  // namespace sweep
