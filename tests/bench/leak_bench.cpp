// Leak figures per class for docs/benchmarks.md: what rounds of create, read
// every property that takes no argument, release add to the process's
// counters after a warm-up. Run under Wine from build/<arch>/tests:
//   SWEEP_LIBRARIES='<dll>|<dll>|...' ../../../scripts/wine-run.sh leak_bench.exe [rounds]
#include <cstdio>
#include <cstdlib>

#include "tests/sweep/leak_rounds.h"

int main(int argc, char** argv) {
    CoInitialize(nullptr);
    const size_t rounds = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
    const sweep::Counters start = sweep::readCounters();
    std::printf("%zu rounds after 500 of warm-up. At start the platform counts %lld handles, %lld GDI and %lld USER "
                "objects (0: not counted); new handles get slots up to %lld (kernel) and %lld (GDI); %lld windows; "
                "private bytes %lld (PrivateUsage, or PagefileUsage where that is 0); %lld bytes of committed private "
                "pages; %lld bytes in use in the heaps\n\n",
                rounds, static_cast<long long>(start.handles), static_cast<long long>(start.gdiObjects),
                static_cast<long long>(start.userObjects), static_cast<long long>(start.handleSlot),
                static_cast<long long>(start.gdiSlot), static_cast<long long>(start.threadWindows),
                static_cast<long long>(start.privateBytes), static_cast<long long>(start.committedPrivate),
                static_cast<long long>(start.heapBytes));
    std::printf("| class | handles | GDI objects | USER objects | private KiB | committed private KiB | heap bytes "
                "| heap bytes a round |\n|---|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const sweep::Library& library : sweep::librariesUnderTest()) {
        for (const sweep::Class& cls : library.classes) {
            const sweep::Growth g = sweep::leakRounds(library, cls, 500, rounds);
            std::printf("| %s.%s | %+lld | %+lld | %+lld | %+lld | %+lld | %+lld | %+.2f |\n",
                        frame::testing::narrow(library.name).c_str(), frame::testing::narrow(cls.name).c_str(),
                        static_cast<long long>(g.handles()), static_cast<long long>(g.gdiObjects()),
                        static_cast<long long>(g.userObjects()), static_cast<long long>(g.privateBytes() / 1024),
                        static_cast<long long>(g.committedPrivate() / 1024), static_cast<long long>(g.heapBytes()),
                        static_cast<double>(g.heapBytes()) / static_cast<double>(rounds ? rounds : 1));
            std::fflush(stdout);
        }
    }
    CoUninitialize();
    return 0;
}
