// The classes of the Lanthor library.
#include "common/frame.h"
#include "lanthor/tooltips/exp_tooltip.h"

const frame::Library& frame::thisLibrary() {
    static const frame::ClassEntry classes[] = {
        lanthor::ExpToolTip::entry(),
    };
    static const frame::Library library{u"Lanthor", classes, std::size(classes)};
    return library;
}
