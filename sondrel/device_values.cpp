#include "sondrel/device_values.h"

#include "common/convert.h"

namespace sondrel {

int32_t addressBits(uint64_t value) {
    if (value > 0xFFFFFFFFu) frame::raise(frame::errOverflow);
    return frame::asLong(static_cast<uint32_t>(value));
}

}  // namespace sondrel
