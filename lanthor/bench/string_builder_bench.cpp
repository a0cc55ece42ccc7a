// CStringBuilder against plain string concatenation: appending many short
// strings, inserting them at the front, and the effect of the chunk size on
// appending. Prints milliseconds per run (best of three).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "lanthor/utilities/string_builder.h"

using Clock = std::chrono::steady_clock;
using lanthor::CStringBuilder;

namespace {

std::vector<std::u16string> pieces(int count) {
    std::vector<std::u16string> out;
    out.reserve(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        std::u16string piece = u"item ";
        for (char c : std::to_string(k)) piece.push_back(static_cast<char16_t>(c));
        piece.push_back(u';');
        out.push_back(std::move(piece));
    }
    return out;
}

// Best of three runs, in milliseconds; the result's length guards against the work being dropped.
double bestMs(const std::function<size_t()>& run, size_t& length) {
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        const auto start = Clock::now();
        length = run();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

// Concatenation as a script or a naive caller writes it: a new string every time.
size_t naiveAppend(const std::vector<std::u16string>& parts) {
    std::u16string text;
    for (const auto& p : parts) text = text + p;
    return text.size();
}
size_t naivePrepend(const std::vector<std::u16string>& parts) {
    std::u16string text;
    for (const auto& p : parts) text = p + text;
    return text.size();
}
size_t builderAppend(const std::vector<std::u16string>& parts, int32_t chunk) {
    CStringBuilder b;
    b.BufferBump(chunk);
    for (const auto& p : parts) b.Append(p);
    return b.ToString().size();
}
size_t builderPrepend(const std::vector<std::u16string>& parts) {
    CStringBuilder b;
    for (const auto& p : parts) b.Insert(0, p);
    return b.ToString().size();
}
size_t growingString(const std::vector<std::u16string>& parts) {
    std::u16string text;
    for (const auto& p : parts) text += p;
    return text.size();
}

}  // namespace

int main(int argc, char** argv) {
    const int appends = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int inserts = argc > 2 ? std::atoi(argv[2]) : 100000;
    const auto appendParts = pieces(appends);
    const auto insertParts = pieces(inserts);
    size_t length = 0;

    std::printf("appending %d short strings (ms, best of 3)\n", appends);
    std::printf("  naive text = text + piece          %10.1f\n", bestMs([&] { return naiveAppend(appendParts); }, length));
    std::printf("  final length %zu characters\n", length);
    for (int32_t chunk : {2048, 16384, 65536, 1 << 20}) {
        const double ms = bestMs([&] { return builderAppend(appendParts, chunk); }, length);
        const long growths = static_cast<long>((2 * length + chunk - 1) / chunk) - 1;
        std::printf("  CStringBuilder, BufferBump %7d  %10.1f   (%ld growths)\n", chunk, ms, growths);
    }
    std::printf("  std::u16string += (doubling)       %10.1f\n", bestMs([&] { return growingString(appendParts); }, length));

    std::printf("inserting %d short strings at the front (ms, best of 3)\n", inserts);
    std::printf("  naive text = piece + text          %10.1f\n", bestMs([&] { return naivePrepend(insertParts); }, length));
    std::printf("  CStringBuilder.Insert(0, piece)    %10.1f\n", bestMs([&] { return builderPrepend(insertParts); }, length));
    std::printf("  final length %zu characters\n", length);
    return 0;
}
