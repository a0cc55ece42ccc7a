#pragma once
// The operating-system readings and settings that Sondrel's accessor rows are
// made of, each bound by name at its first call. Readings come back as the
// operating system's 32 bits; a row converts them.
#include <windows.h>

#include <cstdint>

namespace sondrel {

// GetSystemMetrics of one index.
int32_t metric(int index);

// SystemParametersInfoA with a get action: the 32-bit value it leaves in a
// local that starts at 0 (so a refused read gives 0).
int32_t parameter(UINT getAction);

// SystemParametersInfoA with a set action: the new value in uiParam (a
// Boolean arrives sign-extended, True as 0xFFFFFFFF), a 32-bit zero behind
// pvParam, and SPIF_SENDWININICHANGE alone, so the change is broadcast but
// not written to the user profile. A refused change is not reported.
void setParameter(UINT setAction, int32_t value);

}  // namespace sondrel
