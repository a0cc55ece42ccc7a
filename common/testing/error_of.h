#pragma once
// The run-time error number a call raises, 0 when it raises none.
#include <functional>

#include "common/errors.h"

namespace frame::testing {

inline int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const frame::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace frame::testing
