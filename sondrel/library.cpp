#include "common/frame.h"
#include "sondrel/CMemoryStatus.h"
#include "sondrel/COSInfo.h"

const frame::Library& frame::thisLibrary() {
    static const frame::ClassEntry classes[] = {
        sondrel::CMemoryStatus::entry(),
        sondrel::COSInfo::entry(),
    };
    static const frame::Library library{u"Sondrel", classes, std::size(classes)};
    return library;
}
