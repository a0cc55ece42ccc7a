#include "common/frame.h"
#include "sondrel/CMemoryStatus.h"

const frame::Library& frame::thisLibrary() {
    static const frame::ClassEntry classes[] = {
        sondrel::CMemoryStatus::entry(),
    };
    static const frame::Library library{u"Sondrel", classes, std::size(classes)};
    return library;
}
