#include "record_text.h"

#include "convert.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace recordtext {

int DecodeValue(std::string_view hex, char* out) {
    int bytes = DecodedLength(hex);
    HexDecode(hex.data(), static_cast<int>(std::min<size_t>(hex.size(), 2 * kMaxValueBytes)), out,
              &bytes);
    out[bytes] = '\0';
    return bytes;
}

void DecodeValueInto(std::string_view hex, char* field, size_t size) {
    if (field == nullptr || size == 0) {
        return;
    }
    char decoded[kMaxValueBytes + 1];
    const auto bytes = static_cast<size_t>(DecodeValue(hex, decoded));
    const size_t kept = bytes < size - 1 ? bytes : size - 1;
    std::memcpy(field, decoded, kept);
    field[kept] = '\0';
}

namespace {

template <typename T> T ReadSaturating(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Accumulate towards the sign's side so that the minimum is reachable.
    T value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const T digit = static_cast<T>(*p - '0');
        if (negative) {
            if (value < (std::numeric_limits<T>::min() + digit) / 10) {
                return std::numeric_limits<T>::min();
            }
            value = static_cast<T>(value * 10 - digit);
        } else {
            if (value > (std::numeric_limits<T>::max() - digit) / 10) {
                return std::numeric_limits<T>::max();
            }
            value = static_cast<T>(value * 10 + digit);
        }
    }
    return value;
}

} // namespace

int ReadInt(const char* text) {
    return ReadSaturating<int>(text);
}

int64_t ReadInt64(const char* text) {
    return ReadSaturating<int64_t>(text);
}

} // namespace recordtext
