// CMemoryStatus through its interface and late-bound by name, from the DLL.
#include <windows.h>

#include "common/testing/harness.h"
#include "sondrel_h.h"

using frame::ComPtr;
using frame::invokeByName;

namespace {

ComPtr<_CMemoryStatus> newMemoryStatus() {
    return frame::testing::createFromDll<_CMemoryStatus>(L"Sondrel.dll", __uuidof(CMemoryStatus));
}

TEST(CMemoryStatus, EarlyBoundFiguresAgreeWithTheOperatingSystem) {
    frame::testing::MessageBoxCapture capture;
    auto status = newMemoryStatus();
    ASSERT_TRUE(status);
    long load = -1, totalPhys = 0, availPhys = 0, totalPage = 0, availPage = 0, totalVirt = 0, availVirt = 0;
    EXPECT_EQ(status->get_MemoryLoad(&load), S_OK);
    EXPECT_EQ(status->get_TotalPhysical(&totalPhys), S_OK);
    EXPECT_EQ(status->get_AvailablePhysical(&availPhys), S_OK);
    EXPECT_EQ(status->get_TotalPageFile(&totalPage), S_OK);
    EXPECT_EQ(status->get_AvailablePageFile(&availPage), S_OK);
    EXPECT_EQ(status->get_TotalVirtual(&totalVirt), S_OK);
    EXPECT_EQ(status->get_AvailableVirtual(&availVirt), S_OK);
    EXPECT_TRUE(capture.boxes().empty());
    EXPECT_GE(load, 0);
    EXPECT_LE(load, 100);

    MEMORYSTATUS reference{};
    reference.dwLength = sizeof(reference);
    GlobalMemoryStatus(&reference);
    // Totals do not move between two readings; they come back bit for bit,
    // so sizes of 2 GiB and more read as negative numbers, never clipped.
    auto expected = [](uint64_t size) { return static_cast<uint32_t>(size > 0xFFFFFFFFu ? 0xFFFFFFFFu : size); };
    EXPECT_EQ(static_cast<uint32_t>(totalPhys), expected(reference.dwTotalPhys));
    EXPECT_EQ(static_cast<uint32_t>(totalPage), expected(reference.dwTotalPageFile));
    EXPECT_EQ(static_cast<uint32_t>(totalVirt), expected(reference.dwTotalVirtual));
    if (reference.dwTotalPhys >= 0x80000000u) EXPECT_LT(totalPhys, 0);
    EXPECT_NE(availPhys, 0);
    EXPECT_NE(availVirt, 0);
}

TEST(CMemoryStatus, LateBoundByNameReadsTheSameProperties) {
    auto status = newMemoryStatus();
    ASSERT_TRUE(status);
    for (const char16_t* name : {u"AvailablePageFile", u"AvailablePhysical", u"AvailableVirtual", u"MemoryLoad",
                                 u"TotalPageFile", u"TotalPhysical", u"TotalVirtual"}) {
        auto out = invokeByName(status.get(), name, DISPATCH_PROPERTYGET, {});
        EXPECT_EQ(out.hr, S_OK) << frame::testing::narrow(name);
        EXPECT_EQ(V_VT(&out.result.get()), VT_I4) << frame::testing::narrow(name);
    }
    long early = 0;
    status->get_TotalPhysical(&early);
    auto late = invokeByName(status.get(), u"TotalPhysical", DISPATCH_PROPERTYGET, {});
    EXPECT_EQ(V_I4(&late.result.get()), early);
}

TEST(CMemoryStatus, TypeLibraryFixesNamesAndDispatchIdentifiers) {
    auto status = newMemoryStatus();
    ASSERT_TRUE(status);
    const std::pair<const char16_t*, DISPID> expected[] = {
        {u"AvailablePageFile", 0x68030006}, {u"AvailablePhysical", 0x68030005}, {u"AvailableVirtual", 0x68030004},
        {u"MemoryLoad", 0x68030003},        {u"TotalPageFile", 0x68030002},     {u"TotalPhysical", 0x68030001},
        {u"TotalVirtual", 0x68030000}};
    for (auto [name, id] : expected) {
        DISPID got = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(frame::wide(name))};
        ASSERT_EQ(status->GetIDsOfNames(IID_NULL, names, 1, 0x409, &got), S_OK);
        EXPECT_EQ(got, id) << frame::testing::narrow(name);
    }
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(status->GetTypeInfo(0, 0x409, info.put()), S_OK);
    ComPtr<ITypeLib> library;
    UINT index = 0;
    ASSERT_EQ(info->GetContainingTypeLib(library.put(), &index), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->wMajorVerNum, 5);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->lcid, 0x409u);
    library->ReleaseTLibAttr(attr);
}

}  // namespace
