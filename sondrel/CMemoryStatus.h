#pragma once
#include "common/convert.h"
#include "common/frame.h"
#include "sondrel_h.h"

namespace sondrel {

class CMemoryStatus final : public frame::Object<CMemoryStatus, _CMemoryStatus, ::CMemoryStatus> {
public:
    static constexpr const char16_t* kName = u"CMemoryStatus";

    FRAME_GET(AvailablePageFile, long, read(&MEMORYSTATUS::dwAvailPageFile))
    FRAME_GET(AvailablePhysical, long, read(&MEMORYSTATUS::dwAvailPhys))
    FRAME_GET(AvailableVirtual, long, read(&MEMORYSTATUS::dwAvailVirtual))
    FRAME_GET(MemoryLoad, long, read(&MEMORYSTATUS::dwMemoryLoad))
    FRAME_GET(TotalPageFile, long, read(&MEMORYSTATUS::dwTotalPageFile))
    FRAME_GET(TotalPhysical, long, read(&MEMORYSTATUS::dwTotalPhys))
    FRAME_GET(TotalVirtual, long, read(&MEMORYSTATUS::dwTotalVirtual))

private:
    // One fresh reading of the memory-status record, one field of it. The
    // 64-bit record holds sizes too large for 32 bits; those read as
    // 0xFFFFFFFF, as the 32-bit record reports sizes it cannot express.
    template <class Field>
    static int32_t read(Field MEMORYSTATUS::*field) {
        MEMORYSTATUS status{};
        status.dwLength = sizeof(status);  // 32 in the 32-bit build
        globalMemoryStatus(&status);
        const uint64_t value = status.*field;
        return frame::asLong(value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(value));
    }
    static void globalMemoryStatus(MEMORYSTATUS* status);
};

}  // namespace sondrel
