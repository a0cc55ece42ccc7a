#include "tests/sweep/leak_rounds.h"

#include <windows.h>
#include <psapi.h>

namespace sweep {

Counters readCounters() {
    Counters c;
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    c.handles = handles;
    c.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    c.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    // Slots: kernel handles are multiples of 4, GDI and USER handles keep
    // their table index in the low 16 bits.
    frame::UniqueKernelHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    c.handleSlot = reinterpret_cast<intptr_t>(event.get()) / 4;
    frame::UniqueBrush brush(CreateSolidBrush(0));
    c.gdiSlot = reinterpret_cast<intptr_t>(brush.get()) & 0xFFFF;
    HMENU menu = CreateMenu();
    c.userSlot = reinterpret_cast<intptr_t>(menu) & 0xFFFF;
    DestroyMenu(menu);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    c.privateBytes = static_cast<int64_t>(memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage);
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
