#pragma once
// The run-time error a failed file-system call raises, by the operating
// system's error code, as the automation runtime's file functions report
// them. Window-system free.
#include <cstdint>

namespace keldrun {

int32_t fileErrorNumber(uint32_t systemError);

}  // namespace keldrun
