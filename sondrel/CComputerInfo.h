#pragma once
#include "common/convert.h"
#include "common/frame.h"
#include "sondrel/system_values.h"
#include "sondrel_h.h"

namespace sondrel {

// Processor, address-space and speed-class facts, each read afresh.
class CComputerInfo final : public frame::Object<CComputerInfo, _CComputerInfo, ::CComputerInfo> {
public:
    static constexpr const char16_t* kName = u"CComputerInfo";

    FRAME_GET(ActiveProcessorMask, long, addressBits(systemInfo().dwActiveProcessorMask))
    FRAME_GET(AllocationGranularity, long, frame::asLong(systemInfo().dwAllocationGranularity))
    FRAME_GET(CompareExchangeDouble, bool, processorFeature(PF_COMPARE_EXCHANGE_DOUBLE))
    FRAME_GET(FloatingPointEmulated, bool, processorFeature(PF_FLOATING_POINT_EMULATED))
    FRAME_GET(FloatingPointError, bool, processorFeature(PF_FLOATING_POINT_PRECISION_ERRATA))
    FRAME_GET(LowMemory, bool, flagSet(metric(SM_SLOWMACHINE), lowMemory))
    FRAME_GET(MaxAppAddress, long, addressBits(systemInfo().lpMaximumApplicationAddress))
    FRAME_GET(MinAppAddress, long, addressBits(systemInfo().lpMinimumApplicationAddress))
    FRAME_GET(MMXAvailable, bool, processorFeature(PF_MMX_INSTRUCTIONS_AVAILABLE))
    FRAME_GET(NumberOfProcessors, long, frame::asLong(systemInfo().dwNumberOfProcessors))
    FRAME_GET(PageSize, long, frame::asLong(systemInfo().dwPageSize))
    FRAME_GET(ProcessorArchitecture, EnumProcessorArchitecture, signExtend16(systemInfo().wProcessorArchitecture))
    FRAME_GET(ProcessorLevel, long, signExtend16(systemInfo().wProcessorLevel))
    FRAME_GET(ProcessorRevision, long, signExtend16(systemInfo().wProcessorRevision))
    FRAME_GET(ProcessorType, EnumProcessorType, frame::asLong(systemInfo().dwProcessorType))
    FRAME_GET(SlowGraphics, bool, flagSet(metric(SM_SLOWMACHINE), slowGraphics))
    FRAME_GET(SlowMachine, bool, flagSet(metric(SM_SLOWMACHINE), slowMachine))
};

}  // namespace sondrel
