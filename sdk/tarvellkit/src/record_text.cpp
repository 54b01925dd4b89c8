#include "record_text.h"

#include "convert.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace recordtext {

namespace {

// Digit values as HexDecode reads them, one per character, taken from
// HexDecode itself so that both always agree: "0c" decodes to the value of c.
struct DigitTable {
    uint8_t value[256];
    DigitTable() {
        for (int c = 0; c < 256; ++c) {
            const char pair[2] = {'0', static_cast<char>(c)};
            unsigned char byte = 0;
            int capacity = 1;
            HexDecode(pair, 2, &byte, &capacity);
            value[c] = byte;
        }
    }
};

const DigitTable kDigits;

} // namespace

int DecodeValue(std::string_view hex, char* out) {
    // Same result as HexDecode over the value, cut at kMaxValueBytes, with
    // one table look-up per digit instead of tests.
    const int bytes = DecodedLength(hex);
    const auto* in = reinterpret_cast<const unsigned char*>(hex.data());
    const size_t whole = std::min(static_cast<size_t>(bytes), hex.size() / 2);
    for (size_t i = 0; i < whole; ++i) {
        out[i] = static_cast<char>(
            static_cast<uint8_t>((kDigits.value[in[2 * i]] << 4) + kDigits.value[in[2 * i + 1]]));
    }
    if (whole < static_cast<size_t>(bytes)) {
        // An odd last digit: the high half of a byte whose low half is 0.
        out[whole] = static_cast<char>(static_cast<uint8_t>(kDigits.value[in[2 * whole]] << 4));
    }
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
