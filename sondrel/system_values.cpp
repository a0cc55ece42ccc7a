#include "sondrel/system_values.h"

#include "common/frame.h"

namespace sondrel {
namespace {

const frame::DllFunction<decltype(::GetSystemMetrics)> GetSystemMetrics{"user32", "GetSystemMetrics"};
const frame::DllFunction<decltype(::SystemParametersInfoA)> SystemParametersInfoA{"user32", "SystemParametersInfoA"};

}  // namespace

int32_t metric(int index) { return GetSystemMetrics(index); }

int32_t parameter(UINT getAction) {
    int32_t value = 0;
    SystemParametersInfoA(getAction, 0, &value, 0);
    return value;
}

void setParameter(UINT setAction, int32_t value) {
    int32_t zero = 0;
    SystemParametersInfoA(setAction, static_cast<UINT>(value), &zero, SPIF_SENDWININICHANGE);
}

}  // namespace sondrel
