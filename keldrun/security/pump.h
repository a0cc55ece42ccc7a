#pragma once
#include "keldrun/security/cipher.h"

namespace keldrun {

// One pass over the calling thread's pending window messages.
void pumpMessages();
inline const PumpPass& messagePump() {
    static const PumpPass pump = &pumpMessages;
    return pump;
}

}  // namespace keldrun
