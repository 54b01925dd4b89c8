#include "png.h"

#include <array>

namespace phonesim {

namespace {

const std::array<uint32_t, 256>& CrcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

void Put32(std::string& out, uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void Chunk(std::string& out, const char* type, std::string_view data) {
    Put32(out, static_cast<uint32_t>(data.size()));
    std::string body(type, 4);
    body.append(data);
    out += body;
    Put32(out, Crc32(body));
}

} // namespace

uint32_t Crc32(std::string_view data, uint32_t crc) {
    const auto& t = CrcTable();
    crc = ~crc;
    for (char ch : data)
        crc = t[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string EncodePng(int width, int height, std::string_view rgb) {
    std::string raw;
    const size_t row = static_cast<size_t>(width) * 3;
    raw.reserve((row + 1) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw += '\0'; // filter: none
        raw.append(rgb.substr(static_cast<size_t>(y) * row, row));
    }
    // zlib stream of stored blocks.
    std::string z = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (unsigned char ch : raw) {
        a = (a + ch) % 65521;
        b = (b + a) % 65521;
    }
    size_t pos = 0;
    do {
        size_t n = std::min<size_t>(65535, raw.size() - pos);
        bool last = pos + n == raw.size();
        z += static_cast<char>(last ? 1 : 0);
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z.append(raw, pos, n);
        pos += n;
    } while (pos < raw.size());
    Put32(z, (b << 16) | a);

    std::string out = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    Put32(ihdr, static_cast<uint32_t>(width));
    Put32(ihdr, static_cast<uint32_t>(height));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB
    Chunk(out, "IHDR", ihdr);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", "");
    return out;
}

std::string PatternPng(int width, int height, uint64_t seed) {
    std::string rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, '\0');
    const int r0 = static_cast<int>(seed & 0xFF), g0 = static_cast<int>((seed >> 8) & 0xFF),
              b0 = static_cast<int>((seed >> 16) & 0xFF);
    size_t i = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            rgb[i++] = static_cast<char>((r0 + x * 255 / std::max(1, width)) & 0xFF);
            rgb[i++] = static_cast<char>((g0 + y * 255 / std::max(1, height)) & 0xFF);
            rgb[i++] = static_cast<char>(((x / 8 + y / 8) % 2) ? b0 : 255 - b0);
        }
    return EncodePng(width, height, rgb);
}

} // namespace phonesim
