#include "tests/sweep/leak_rounds.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <vector>

namespace sweep {

namespace {

// GDI and USER handles keep their table index in the low 16 bits.
intptr_t tableIndex(void* h) { return reinterpret_cast<intptr_t>(h) & 0xFFFF; }

// The highest slot that a batch of new handles of one table gets. Tables
// reuse freed slots first, so the batch reaches past the slots in use by a
// margin that stays put unless objects are leaked.
template <class Create, class Destroy, class Slot>
int64_t highestSlot(Create create, Destroy destroy, Slot slot) {
    constexpr int kBatch = 256;
    std::vector<void*> handles;
    int64_t highest = 0;
    for (int i = 0; i < kBatch; ++i) {
        handles.push_back(create());
        highest = std::max<int64_t>(highest, slot(handles.back()));
    }
    for (void* h : handles) destroy(h);
    return highest;
}

BOOL CALLBACK countWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<int64_t*>(count);
    EnumChildWindows(window, countWindow, count);
    return TRUE;
}

int64_t windowsOfThisThread() {
    int64_t count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

int64_t committedPrivateBytes() {
    int64_t bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += static_cast<int64_t>(region.RegionSize);
        if (region.RegionSize == 0) break;
    }
    return bytes;
}

int64_t heapBytesInUse() {
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    int64_t bytes = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
        HeapUnlock(heap);
    }
    return bytes;
}

}  // namespace

Counters readCounters() {
    Counters c;
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    c.handles = handles;
    c.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    c.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    c.handleSlot = highestSlot([] { return static_cast<void*>(CreateEventW(nullptr, FALSE, FALSE, nullptr)); },
                               [](void* h) { CloseHandle(h); }, [](void* h) { return reinterpret_cast<intptr_t>(h) / 4; });
    c.gdiSlot = highestSlot([] { return static_cast<void*>(CreateSolidBrush(0)); },
                            [](void* h) { DeleteObject(static_cast<HGDIOBJ>(h)); }, tableIndex);
    c.threadWindows = windowsOfThisThread();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    c.privateBytes = static_cast<int64_t>(memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage);
    c.committedPrivate = committedPrivateBytes();
    c.heapBytes = heapBytesInUse();
    return c;
}

namespace {

void round(const Library& library, const Class& cls, frame::testing::MessageBoxCapture& capture) {
    frame::ComPtr<IDispatch> object = create(library, cls);
    for (const Member& member : cls.members) {
        if (member.invokeKind != DISPATCH_PROPERTYGET || !member.parameters.empty()) continue;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        frame::Variant result;
        object->Invoke(member.id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.put(), nullptr,
                       nullptr);
    }
    object.reset();
    frame::testing::pumpMessages(0);
    capture.clear();  // a member's report box, dismissed
}

}  // namespace

Growth leakRounds(const Library& library, const Class& cls, size_t warmUp, size_t rounds) {
    frame::testing::MessageBoxCapture capture;
    for (size_t i = 0; i < warmUp; ++i) round(library, cls, capture);
    Growth growth;
    growth.before = readCounters();
    for (size_t i = 0; i < rounds; ++i) round(library, cls, capture);
    growth.after = readCounters();
    return growth;
}

}  // namespace sweep
