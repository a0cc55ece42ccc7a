// Memory load and sizes, read afresh from the operating system on every call.
#include "sondrel/CMemoryStatus.h"

namespace sondrel {
namespace {

frame::DllFunction<decltype(::GlobalMemoryStatus)> GlobalMemoryStatus{"kernel32", "GlobalMemoryStatus"};

}  // namespace

int32_t CMemoryStatus::read(DWORD MEMORYSTATUS::*field) {
    MEMORYSTATUS status{};
    status.dwLength = 32;
    GlobalMemoryStatus(&status);
    return frame::asLong(static_cast<uint32_t>(status.*field));
}

}  // namespace sondrel
