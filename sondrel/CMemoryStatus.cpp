// Memory load and sizes, read afresh from the operating system on every call.
#include "sondrel/CMemoryStatus.h"

namespace sondrel {
namespace {

frame::DllFunction<decltype(::GlobalMemoryStatus)> GlobalMemoryStatus{"kernel32", "GlobalMemoryStatus"};

}  // namespace

static_assert(sizeof(void*) != 4 || sizeof(MEMORYSTATUS) == 32);

void CMemoryStatus::globalMemoryStatus(MEMORYSTATUS* status) { GlobalMemoryStatus(status); }

}  // namespace sondrel
