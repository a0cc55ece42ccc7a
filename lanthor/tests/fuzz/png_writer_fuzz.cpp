// The PNG writer against a reader: chunks with their CRCs (the table-driven
// CRC checked against the bitwise definition on the input bytes), stored
// deflate blocks with their complements and Adler sum, and the pixels back.
// The splice takes exactly the columns left of the split from the first picture.
#include <cstring>

#include "common/testing/fuzz.h"
#include "lanthor/demo/png_writer.h"

using namespace lanthor::demo;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t bitwiseCrc(const std::uint8_t* p, std::size_t n) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < n; ++i)
        for (int bit = 0; bit < 8; ++bit) crc = ((crc ^ (p[i] >> bit)) & 1) ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    return ~crc;
}

std::uint32_t bigEndian(const Bytes& b, std::size_t at) {
    FUZZ_CHECK(at + 4 <= b.size());
    return std::uint32_t{b[at]} << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// The chunk's data, its CRC checked; at moves past it.
Bytes chunk(const Bytes& png, std::size_t& at, const char* type) {
    const std::uint32_t length = bigEndian(png, at);
    FUZZ_CHECK(at + 12 + length <= png.size() && std::memcmp(&png[at + 4], type, 4) == 0);
    FUZZ_CHECK(bigEndian(png, at + 8 + length) == crc32(&png[at + 4], length + 4));
    Bytes data(png.begin() + static_cast<long>(at) + 8, png.begin() + static_cast<long>(at + 8 + length));
    at += 12 + length;
    return data;
}

Bytes unstored(const Bytes& z) {
    FUZZ_CHECK(z.size() >= 6 && (z[0] << 8 | z[1]) % 31 == 0);
    Bytes raw;
    std::size_t at = 2;
    for (bool last = false; !last;) {
        FUZZ_CHECK(at + 5 <= z.size() && z[at] >> 1 == 0);
        last = z[at] & 1;
        const unsigned length = z[at + 1] | z[at + 2] << 8, complement = z[at + 3] | z[at + 4] << 8;
        FUZZ_CHECK(complement == (length ^ 0xFFFF) && at + 5 + length <= z.size());
        raw.insert(raw.end(), z.begin() + static_cast<long>(at) + 5, z.begin() + static_cast<long>(at + 5 + length));
        at += 5 + length;
    }
    std::uint64_t a = 1, b = 0;
    for (std::uint8_t byte : raw) b += a += byte, a %= 65521, b %= 65521;
    FUZZ_CHECK(at + 4 == z.size() && bigEndian(z, at) == (b << 16 | a));
    return raw;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // Small pictures: the unit tests cover lines past one stored block.
    const std::uint32_t width = in.ConsumeIntegralInRange(0u, 12u), height = in.ConsumeIntegralInRange(0u, 12u);
    std::vector<std::uint32_t> pixels(std::size_t{width} * height);
    std::uint32_t seed = in.ConsumeIntegral<std::uint32_t>();
    for (std::uint32_t& p : pixels) p = seed = seed * 1664525 + 1013904223;

    const Bytes png = encodePng(width, height, pixels.data());
    FUZZ_CHECK(png.size() > 8 && std::memcmp(png.data(), "\x89PNG\r\n\x1A\n", 8) == 0);
    std::size_t at = 8;
    const Bytes header = chunk(png, at, "IHDR");
    FUZZ_CHECK(header.size() == 13 && bigEndian(header, 0) == width && bigEndian(header, 4) == height);
    const Bytes raw = unstored(chunk(png, at, "IDAT"));
    FUZZ_CHECK(chunk(png, at, "IEND").empty() && at == png.size());
    FUZZ_CHECK(raw.size() == (std::size_t{width} * 3 + 1) * height);
    for (std::size_t y = 0, k = 0; y < height; ++y) {
        FUZZ_CHECK(raw[k++] == 0);
        for (std::size_t x = 0; x < width; ++x, k += 3)
            FUZZ_CHECK((std::uint32_t{raw[k]} << 16 | raw[k + 1] << 8 | raw[k + 2]) == (pixels[y * width + x] & 0xFFFFFF));
    }
    FUZZ_CHECK(crc32(data, size) == bitwiseCrc(data, size));

    // Two pictures of one size, or of any sizes as a careless caller might pass.
    std::vector<std::uint32_t> left(pixels.size()), right = pixels;
    for (std::uint32_t& p : left) p = ~(seed = seed * 1664525 + 1013904223);
    if (in.ConsumeBool()) left.resize(in.ConsumeIntegralInRange<std::size_t>(0, 40));
    const std::size_t columns = in.ConsumeBool() ? width : in.ConsumeIntegralInRange<std::size_t>(0, 3);
    const std::size_t split = in.ConsumeIntegralInRange<std::size_t>(0, columns + 1);
    const std::vector<std::uint32_t> spliced = spliceColumns(left, right, columns, split);
    FUZZ_CHECK(spliced.size() == right.size());
    for (std::size_t i = 0; i < spliced.size(); ++i)
        FUZZ_CHECK(spliced[i] == (i < left.size() && columns != 0 && i % columns < split ? left[i] : right[i]));
    return 0;
}
