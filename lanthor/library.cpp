// The classes of the Lanthor library.
#include "common/frame.h"
#include "lanthor/tooltips/exp_tooltip.h"
#include "lanthor/tooltips/ctooltip.h"

const frame::Library& frame::thisLibrary() {
    static const frame::ClassEntry classes[] = {
        lanthor::ExpToolTip::entry(),
        lanthor::CToolTip::entry(),
    };
    static const frame::Library library{u"Lanthor", classes, std::size(classes)};
    return library;
}
