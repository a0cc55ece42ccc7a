#pragma once
// Files the build derives from a library's built type library, so that they
// follow its classes and version without a list kept by hand: the assembly
// manifest for registration-free use and the numbers of the version resource.
// Window-system free: the build runs it on the host.
#include <string>

#include "common/typelib_names.h"

namespace frame::typelib {

// An assembly manifest naming the library (assembly name = library name,
// version = the type library's) with every creatable class (class
// identifier, programmatic identifier <library>.<class>, apartment
// threading), the type library, and its automation interfaces marshalled by
// the type library marshaller. processorArchitecture: "x86" or "amd64".
std::string assemblyManifest(const LibraryView& library, const std::string& fileName,
                             const std::string& processorArchitecture);

// Preprocessor definitions for the version resource: FRAME_FILE_VERSION
// (major,minor,0,0), FRAME_FILE_VERSION_TEXT and FRAME_PRODUCT_VERSION_TEXT.
std::string versionHeader(const LibraryView& library);

// "major.minor" of the type library.
std::string versionText(const LibraryView& library);

}  // namespace frame::typelib
