#pragma once
#include "common/convert.h"
#include "common/frame.h"
#include "sondrel_h.h"

namespace sondrel {

class CMemoryStatus final : public frame::Object<CMemoryStatus, _CMemoryStatus, ::CMemoryStatus> {
public:
    static constexpr const char16_t* kName = u"CMemoryStatus";

    HRESULT STDMETHODCALLTYPE get_AvailablePageFile(long* result) override {
        return member(u"AvailablePageFile", Report, result, [] { return read(&MEMORYSTATUS::dwAvailPageFile); });
    }
    HRESULT STDMETHODCALLTYPE get_AvailablePhysical(long* result) override {
        return member(u"AvailablePhysical", Report, result, [] { return read(&MEMORYSTATUS::dwAvailPhys); });
    }
    HRESULT STDMETHODCALLTYPE get_AvailableVirtual(long* result) override {
        return member(u"AvailableVirtual", Report, result, [] { return read(&MEMORYSTATUS::dwAvailVirtual); });
    }
    HRESULT STDMETHODCALLTYPE get_MemoryLoad(long* result) override {
        return member(u"MemoryLoad", Report, result, [] { return read(&MEMORYSTATUS::dwMemoryLoad); });
    }
    HRESULT STDMETHODCALLTYPE get_TotalPageFile(long* result) override {
        return member(u"TotalPageFile", Report, result, [] { return read(&MEMORYSTATUS::dwTotalPageFile); });
    }
    HRESULT STDMETHODCALLTYPE get_TotalPhysical(long* result) override {
        return member(u"TotalPhysical", Report, result, [] { return read(&MEMORYSTATUS::dwTotalPhys); });
    }
    HRESULT STDMETHODCALLTYPE get_TotalVirtual(long* result) override {
        return member(u"TotalVirtual", Report, result, [] { return read(&MEMORYSTATUS::dwTotalVirtual); });
    }

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
