#pragma once
// PNG files of screen pictures: 8-bit RGB, each line unfiltered, the zlib
// stream made of stored deflate blocks. Plain enough to need no library.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lanthor::demo {

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t adler32(const std::uint8_t* data, std::size_t size);

// pixels: top-down lines of 0x00RRGGBB values, as 32-bit DIB pixels read.
std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height, const std::uint32_t* pixels);

// One picture from two of the same size and width: the columns left of
// split from the first, the others from the second.
std::vector<std::uint32_t> spliceColumns(const std::vector<std::uint32_t>& left,
                                         const std::vector<std::uint32_t>& right, std::size_t width,
                                         std::size_t split);

}  // namespace lanthor::demo
