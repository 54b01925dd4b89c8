// Answer framing of the companion channel: a 32-bit little-endian signed
// length, then that many body bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace phonesim {

inline void AppendLe32(std::string& out, int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((u >> (8 * i)) & 0xFF);
}

inline void AppendLe64(std::string& out, int64_t v) {
    auto u = static_cast<uint64_t>(v);
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((u >> (8 * i)) & 0xFF);
}

inline int32_t ReadLe32(const unsigned char* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24);
}

inline std::string Frame(std::string_view body) {
    std::string out;
    out.reserve(body.size() + 4);
    AppendLe32(out, static_cast<int32_t>(body.size()));
    out.append(body);
    return out;
}

// Bodies of the numeric answers.
inline std::string IntBody(int32_t v) {
    std::string s;
    AppendLe32(s, v);
    return s;
}

inline std::string Int64Body(int64_t v) {
    std::string s;
    AppendLe64(s, v);
    return s;
}

} // namespace phonesim
