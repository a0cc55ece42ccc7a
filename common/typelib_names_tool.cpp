// Build step after widl: gives the items of a type library marked with
// LIBRARY_NAME their real names and those marked with LIBRARY_HELP their
// help strings.  typelib_names <widl output> <type library>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

#include "common/typelib_names.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: typelib_names <input.tlb> <output.tlb>\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "typelib_names: cannot read " << argv[1] << "\n";
        return 1;
    }
    frame::typelib::Bytes library{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
        const auto renames = frame::typelib::applyLibraryNames(library);
        if (!renames.empty()) std::cout << "typelib_names: " << renames.size() << " names applied\n";
        if (const int helped = frame::typelib::applyLibraryHelp(library))
            std::cout << "typelib_names: " << helped << " help strings applied\n";
    } catch (const frame::typelib::FormatError& e) {
        std::cerr << "typelib_names: " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(library.data()), static_cast<std::streamsize>(library.size()));
    if (!out) {
        std::cerr << "typelib_names: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
