// A minimal PNG writer (8-bit RGB, stored deflate blocks): enough for
// screenshots and stand-in thumbnails without an image library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace phonesim {

uint32_t Crc32(std::string_view data, uint32_t crc = 0);
// rgb holds width*height*3 bytes, rows top to bottom.
std::string EncodePng(int width, int height, std::string_view rgb);
// A picture of the given size whose colours follow the seed.
std::string PatternPng(int width, int height, uint64_t seed);

} // namespace phonesim
