#include "lanthor/demo/png_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace lanthor::demo;

namespace {

const std::uint8_t* bytes(const char* s) { return reinterpret_cast<const std::uint8_t*>(s); }

std::uint32_t bigEndian(const std::vector<std::uint8_t>& v, std::size_t at) {
    return std::uint32_t{v[at]} << 24 | std::uint32_t{v[at + 1]} << 16 | std::uint32_t{v[at + 2]} << 8 | v[at + 3];
}

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

// Splits a PNG into its chunks, checking every chunk's CRC on the way.
std::vector<Chunk> chunks(const std::vector<std::uint8_t>& png) {
    std::vector<Chunk> out;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = bigEndian(png, at);
        Chunk c{std::string(png.begin() + at + 4, png.begin() + at + 8),
                std::vector<std::uint8_t>(png.begin() + at + 8, png.begin() + at + 8 + length)};
        EXPECT_EQ(bigEndian(png, at + 8 + length), crc32(png.data() + at + 4, length + 4)) << c.type;
        out.push_back(std::move(c));
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    return out;
}

// The data of a zlib stream of stored blocks; counts the blocks.
std::vector<std::uint8_t> unstore(const std::vector<std::uint8_t>& z, int& blocks) {
    std::vector<std::uint8_t> out;
    EXPECT_EQ((z[0] << 8 | z[1]) % 31, 0);  // header check bits
    std::size_t at = 2;
    blocks = 0;
    for (bool last = false; !last;) {
        last = z[at] & 1;
        EXPECT_EQ(z[at] >> 1, 0);  // stored
        const unsigned length = z[at + 1] | z[at + 2] << 8, complement = z[at + 3] | z[at + 4] << 8;
        EXPECT_EQ(length ^ 0xFFFF, complement);
        out.insert(out.end(), z.begin() + at + 5, z.begin() + at + 5 + length);
        at += 5 + length;
        ++blocks;
    }
    EXPECT_EQ(bigEndian(z, at), adler32(out.data(), out.size()));
    EXPECT_EQ(at + 4, z.size());
    return out;
}

}  // namespace

TEST(PngWriter, ChecksumsMatchTheirPublishedCheckValues) {
    EXPECT_EQ(crc32(bytes("123456789"), 9), 0xCBF43926u);
    EXPECT_EQ(adler32(bytes("Wikipedia"), 9), 0x11E60398u);
    EXPECT_EQ(crc32(bytes(""), 0), 0u);
    EXPECT_EQ(adler32(bytes(""), 0), 1u);
    // Continuing a CRC over a second piece gives the CRC of the whole.
    EXPECT_EQ(crc32(bytes("6789"), 4, crc32(bytes("12345"), 5)), 0xCBF43926u);
}

TEST(PngWriter, FileHasSignatureHeaderDataAndEnd) {
    const std::uint32_t pixels[] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00123456, 0x00ABCDEF, 0x00000000};
    const auto png = encodePng(3, 2, pixels);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1A\n", 8), 0);
    const auto c = chunks(png);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].type, "IHDR");
    EXPECT_EQ(c[0].data, (std::vector<std::uint8_t>{0, 0, 0, 3, 0, 0, 0, 2, 8, 2, 0, 0, 0}));
    EXPECT_EQ(c[1].type, "IDAT");
    EXPECT_EQ(c[2].type, "IEND");
    EXPECT_TRUE(c[2].data.empty());
    int blocks = 0;
    // Each line: filter byte 0, then red, green, blue.
    EXPECT_EQ(unstore(c[1].data, blocks),
              (std::vector<std::uint8_t>{0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0x12, 0x34, 0x56, 0xAB, 0xCD,
                                         0xEF, 0, 0, 0}));
    EXPECT_EQ(blocks, 1);
}

TEST(PngWriter, LargePicturesSpanSeveralStoredBlocksAndRoundTrip) {
    const std::uint32_t w = 200, h = 150;  // 90,150 bytes of lines
    std::vector<std::uint32_t> pixels(w * h);
    for (std::uint32_t i = 0; i < pixels.size(); ++i) pixels[i] = (i * 2654435761u) & 0x00FFFFFF;
    const auto c = chunks(encodePng(w, h, pixels.data()));
    ASSERT_EQ(c.size(), 3u);
    int blocks = 0;
    const auto raw = unstore(c[1].data, blocks);
    EXPECT_EQ(blocks, 2);
    ASSERT_EQ(raw.size(), (w * 3 + 1) * h);
    int wrong = 0;
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* line = raw.data() + y * (w * 3 + 1);
        wrong += line[0] != 0;
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[y * w + x];
            wrong += (std::uint32_t{line[1 + 3 * x]} << 16 | line[2 + 3 * x] << 8 | line[3 + 3 * x]) != p;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(SpliceColumns, LeftColumnsFromTheFirstPictureTheRestFromTheSecond) {
    const std::vector<std::uint32_t> a{1, 2, 3, 4, 5, 6}, b{7, 8, 9, 10, 11, 12};  // 3 x 2
    EXPECT_EQ(spliceColumns(a, b, 3, 2), (std::vector<std::uint32_t>{1, 2, 9, 4, 5, 12}));
    EXPECT_EQ(spliceColumns(a, b, 3, 0), b);
    EXPECT_EQ(spliceColumns(a, b, 3, 3), a);
    EXPECT_EQ(spliceColumns(a, b, 0, 1), b);  // no columns to take, and no division by zero
}
