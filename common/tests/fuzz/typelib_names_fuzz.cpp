// The build step that renames type-library items, on arbitrary bytes (the
// probe libraries as seeds): reading and renaming either succeed or reject
// the bytes with FormatError, also on what a damaged library renames into,
// and a library with nothing to rename stays byte for byte as it was.
#include <algorithm>

#include "common/testing/fuzz.h"
#include "common/typelib_names.h"

using namespace frame::typelib;

namespace {
template <class Body>
bool wellFormed(Body&& body) {
    try {
        body();
        return true;
    } catch (const FormatError&) {
        return false;
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes library(data, data + size);
    wellFormed([&] { readLibrary(library); });
    std::vector<Rename> renames;
    if (!wellFormed([&] { renames = applyLibraryNames(library); })) return 0;
    if (renames.empty()) {
        FUZZ_CHECK(std::equal(library.begin(), library.end(), data, data + size));
        return 0;
    }
    wellFormed([&] { readLibrary(library); });
    wellFormed([&] { applyLibraryNames(library); });
    return 0;
}
