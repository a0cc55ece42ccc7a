// Build step after the type library: writes the assembly manifest and the
// version resource's numbers from it.
//   library_files <library.tlb> <file.dll> <x86|amd64> <out.manifest> <out_version.h> [expected major.minor]
#include <fstream>
#include <iostream>
#include <iterator>

#include "common/library_files.h"

namespace {

bool write(const char* path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (out) return true;
    std::cerr << "library_files: cannot write " << path << "\n";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6 && argc != 7) {
        std::cerr << "usage: library_files <library.tlb> <file.dll> <x86|amd64> <out.manifest> <out_version.h>"
                     " [expected major.minor]\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "library_files: cannot read " << argv[1] << "\n";
        return 1;
    }
    const frame::typelib::Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
        const frame::typelib::LibraryView library = frame::typelib::readLibrary(bytes);
        const std::string version = frame::typelib::versionText(library);
        if (argc == 7 && version != argv[6]) {
            std::cerr << "library_files: " << argv[1] << " has version " << version << ", the build says "
                      << argv[6] << "\n";
            return 1;
        }
        const bool written = write(argv[4], frame::typelib::assemblyManifest(library, argv[2], argv[3])) &&
                             write(argv[5], frame::typelib::versionHeader(library));
        return written ? 0 : 1;
    } catch (const frame::typelib::FormatError& e) {
        std::cerr << "library_files: " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
}
