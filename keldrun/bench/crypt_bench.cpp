// Encode and DeCode throughput through cSimpleCrypt from the DLL, beside
// the bare message-pump passes the calls must make for the same count.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <algorithm>
#include <string>
#include <vector>

#include "common/testing/bench.h"
#include "common/testing/harness.h"
#include "keldrun_h.h"

namespace {

void pumpPass() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

int main() {
    OleInitialize(nullptr);
    auto crypt = frame::testing::createFromDll<_cSimpleCrypt>(L"Keldrun.dll", __uuidof(cSimpleCrypt));
    if (!crypt) return 1;
    const int rounds = 5;
    // DeCode is counted in the characters it gives back (its input is three
    // times as long); both calls make two pump passes per such character.
    std::printf("%-5s %6s %15s %15s %17s\n", "arch", "chars", "Encode chars/s", "DeCode chars/s", "pump floor chars/s");
    for (int count : {1000, 10922}) {
        std::u16string text;
        for (int i = 0; i < count; ++i) {
            const int c = 33 + i % 93;  // the covered characters, the space standing in for '`'
            text.push_back(static_cast<char16_t>(c == 96 ? 32 : c));
        }
        frame::Bstr plain(text);
        frame::Bstr encoded;
        const double enc = frame::testing::medianSeconds(rounds, [&] {
            BSTR raw = plain.get();
            frame::Variant out;
            crypt->Encode(&raw, out.put());
            encoded = frame::Bstr::copy(V_BSTR(&out.get()));
        });
        const double dec = frame::testing::medianSeconds(rounds, [&] {
            BSTR raw = encoded.get();
            frame::Bstr out;
            crypt->DeCode(&raw, out.put());
        });
        const double pump = frame::testing::medianSeconds(rounds, [&] { for (int i = 0; i < 2 * count; ++i) pumpPass(); });
        std::printf("%-5s %6d %15.0f %15.0f %17.0f\n", sizeof(void*) == 8 ? "x64" : "x86", count, count / enc,
                    count / dec, count / pump);
    }
    crypt.reset();
    OleUninitialize();
    return 0;
}
