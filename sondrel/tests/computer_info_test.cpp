// CComputerInfo against the operating system's own answers, early- and late-bound.
#include "device_support.h"

using frame::ComPtr;
using frame::testing::Access;
using frame::testing::MessageBoxCapture;
using namespace sondrel::testing;

namespace {

ComPtr<_CComputerInfo> newComputerInfo() { return create<_CComputerInfo, CComputerInfo>(); }

TEST(CComputerInfo, TypeLibraryCarriesTheMemberTableAndEnumerations) {
    auto info = newComputerInfo();
    ASSERT_TRUE(info);
    expectPropertyTable(info.get(), {
        {"ActiveProcessorMask", 0x68030010, "long", Access::get},
        {"AllocationGranularity", 0x6803000F, "long", Access::get},
        {"CompareExchangeDouble", 0x6803000E, "bool", Access::get},
        {"FloatingPointEmulated", 0x6803000D, "bool", Access::get},
        {"FloatingPointError", 0x6803000C, "bool", Access::get},
        {"LowMemory", 0x6803000B, "bool", Access::get},
        {"MaxAppAddress", 0x6803000A, "long", Access::get},
        {"MinAppAddress", 0x68030009, "long", Access::get},
        {"MMXAvailable", 0x68030008, "bool", Access::get},
        {"NumberOfProcessors", 0x68030007, "long", Access::get},
        {"PageSize", 0x68030006, "long", Access::get},
        {"ProcessorArchitecture", 0x68030005, "EnumProcessorArchitecture", Access::get},
        {"ProcessorLevel", 0x68030004, "long", Access::get},
        {"ProcessorRevision", 0x68030003, "long", Access::get},
        {"ProcessorType", 0x68030002, "EnumProcessorType", Access::get},
        {"SlowGraphics", 0x68030001, "bool", Access::get},
        {"SlowMachine", 0x68030000, "bool", Access::get},
    });
    EXPECT_EQ(enumerationOf(info.get(), {0xB79E6AA3, 0xBA1E, 0x4515, {0xBA, 0x0A, 0x1F, 0xC4, 0xD7, 0x74, 0x93, 0xFC}}),
              "EnumProcessorType: cmiIntel386=386, cmiIntel486=486, cmiIntelPENTIUM=586, cmiMIPSR4000=4000, "
              "cmiALPHA21064=21064");
    EXPECT_EQ(enumerationOf(info.get(), {0x0C123FBE, 0xE96A, 0x4041, {0x8C, 0x1B, 0xDB, 0x79, 0x8C, 0x13, 0xD0, 0x66}}),
              "EnumProcessorArchitecture: cmiIntel=0, cmiMIPS=1, cmiALPHA=2, cmiPPC=3, cmiUnknown=-1");
}

TEST(CComputerInfo, RecordFieldsAreTheSystemInformation) {
    MessageBoxCapture capture;
    auto info = newComputerInfo();
    ASSERT_TRUE(info);
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    long mask = 0, granularity = 0, minimum = 0, processors = 0, page = 0, level = 0, revision = 0;
    EnumProcessorArchitecture architecture = cmiUnknown;
    EnumProcessorType type = cmiIntel386;
    EXPECT_EQ(info->get_ActiveProcessorMask(&mask), S_OK);
    EXPECT_EQ(info->get_AllocationGranularity(&granularity), S_OK);
    EXPECT_EQ(info->get_MinAppAddress(&minimum), S_OK);
    EXPECT_EQ(info->get_NumberOfProcessors(&processors), S_OK);
    EXPECT_EQ(info->get_PageSize(&page), S_OK);
    EXPECT_EQ(info->get_ProcessorArchitecture(&architecture), S_OK);
    EXPECT_EQ(info->get_ProcessorLevel(&level), S_OK);
    EXPECT_EQ(info->get_ProcessorRevision(&revision), S_OK);
    EXPECT_EQ(info->get_ProcessorType(&type), S_OK);
    EXPECT_EQ(static_cast<uint64_t>(static_cast<uint32_t>(mask)), system.dwActiveProcessorMask);
    EXPECT_EQ(granularity, static_cast<long>(system.dwAllocationGranularity));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(system.lpMinimumApplicationAddress), static_cast<uint32_t>(minimum));
    EXPECT_EQ(processors, static_cast<long>(system.dwNumberOfProcessors));
    EXPECT_EQ(page, static_cast<long>(system.dwPageSize));
    EXPECT_EQ(architecture, static_cast<int16_t>(system.wProcessorArchitecture));
    EXPECT_EQ(level, static_cast<int16_t>(system.wProcessorLevel));
    EXPECT_EQ(revision, static_cast<int16_t>(system.wProcessorRevision));
    EXPECT_EQ(type, static_cast<long>(system.dwProcessorType));
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(CComputerInfo, FeaturesAndSpeedClassAreTheSystemsAnswers) {
    auto info = newComputerInfo();
    ASSERT_TRUE(info);
    const struct {
        const char16_t* name;
        bool expected;
    } rows[] = {
        {u"CompareExchangeDouble", IsProcessorFeaturePresent(PF_COMPARE_EXCHANGE_DOUBLE) != 0},
        {u"FloatingPointEmulated", IsProcessorFeaturePresent(PF_FLOATING_POINT_EMULATED) != 0},
        {u"FloatingPointError", IsProcessorFeaturePresent(PF_FLOATING_POINT_PRECISION_ERRATA) != 0},
        {u"MMXAvailable", IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE) != 0},
        {u"SlowMachine", (GetSystemMetrics(SM_SLOWMACHINE) & 1) != 0},
        {u"LowMemory", (GetSystemMetrics(SM_SLOWMACHINE) & 2) != 0},
        {u"SlowGraphics", (GetSystemMetrics(SM_SLOWMACHINE) & 4) != 0},
    };
    for (const auto& row : rows) {
        const frame::Variant value = get(info.get(), row.name);
        EXPECT_EQ(value.type(), VT_BOOL) << frame::testing::narrow(row.name);
        EXPECT_EQ(number(value), row.expected ? -1 : 0) << frame::testing::narrow(row.name);
    }
}

// The address space of a 64-bit process reaches above 4 GiB, where a Long
// cannot follow: such a value is the overflow error in the usual report, never
// a truncated number that a 32-bit host could take for its own limit.
TEST(CComputerInfo, AddressesKeepTheirBitsOrReportOverflow) {
    MessageBoxCapture capture;
    auto info = newComputerInfo();
    ASSERT_TRUE(info);
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const uint64_t top = reinterpret_cast<uintptr_t>(system.lpMaximumApplicationAddress);
    long maximum = 12345;
    EXPECT_EQ(info->get_MaxAppAddress(&maximum), S_OK);
    if (top <= 0xFFFFFFFFu) {
        EXPECT_EQ(static_cast<uint32_t>(maximum), top);
        EXPECT_TRUE(capture.boxes().empty());
    } else {
        EXPECT_EQ(sizeof(void*), 8u);
        EXPECT_EQ(maximum, 0);
        ASSERT_EQ(capture.boxes().size(), 1u);
        EXPECT_EQ(capture.boxes()[0].caption, u"MaxAppAddress");
        EXPECT_EQ(capture.boxes()[0].text, u"Error: 6. Overflow");
    }
    // The lowest address and the processor mask fit in both builds and agree with the 32-bit answer.
    capture.clear();
    EXPECT_EQ(number(get(info.get(), u"MinAppAddress")), 0x10000);
    EXPECT_EQ(number(get(info.get(), u"ActiveProcessorMask")), static_cast<int32_t>(system.dwActiveProcessorMask));
    EXPECT_TRUE(capture.boxes().empty());
}

}  // namespace
