// The classes of the Lanthor library.
#include "common/frame.h"
#include "lanthor/tooltips/exp_tooltip.h"
#include "lanthor/tooltips/ctooltip.h"
#include "lanthor/utilities/dictionary.h"
#include "lanthor/utilities/get_windows_information.h"

const frame::Library& frame::thisLibrary() {
    static const frame::ClassEntry classes[] = {
        lanthor::ExpToolTip::entry(),
        lanthor::CToolTip::entry(),
        lanthor::GetWindowsInformation::entry(),
        lanthor::CDictionary::entry(),
    };
    static const frame::Library library{u"Lanthor", classes, std::size(classes)};
    return library;
}
