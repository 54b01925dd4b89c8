// Building record reply texts for the tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testtext {

inline std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 0x0F];
    }
    return out;
}

using Fields = std::vector<std::pair<std::string, std::string>>;

// One closed record: TAG:HEX; per field, then '.'.
inline std::string Record(const Fields& fields) {
    std::string out;
    for (const auto& [tag, value] : fields) {
        out += tag + ":" + Hex(value) + ";";
    }
    return out + ".";
}

} // namespace testtext
