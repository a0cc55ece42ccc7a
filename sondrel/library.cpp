#include "common/frame.h"
#include "sondrel/CMemoryStatus.h"
#include "sondrel/COSInfo.h"
#include "sondrel/CComputerInfo.h"
#include "sondrel/CKeyboardInfo.h"
#include "sondrel/CMouseInfo.h"
#include "sondrel/ExtraFunctions.h"

const frame::Library& frame::thisLibrary() {
    static const frame::ClassEntry classes[] = {
        sondrel::CMemoryStatus::entry(),
        sondrel::COSInfo::entry(),
        sondrel::ExtraFunctions::entry(),
        sondrel::CComputerInfo::entry(),
        sondrel::CMouseInfo::entry(),
        sondrel::CKeyboardInfo::entry(),
    };
    static const frame::Library library{u"Sondrel", classes, std::size(classes)};
    return library;
}
