// HexDecode over arbitrary text and capacities, and HexEncode/HexDecode
// round trips. Input: byte 0 chooses the decode capacity, the rest is the text.
#include "convert.h"
#include "fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 1 << 16) {
        return 0;
    }
    const int capacityWanted = data[0] * 3 - 8; // -8 .. 757, the negatives included
    const char* text = reinterpret_cast<const char*>(data + 1);
    const int textLength = static_cast<int>(size - 1);

    // Decoding arbitrary text writes at most the capacity and never reads
    // past the text (the buffers are exact, so ASan sees any overrun).
    std::vector<char> textCopy(text, text + textLength);
    std::vector<unsigned char> out(capacityWanted > 0 ? static_cast<size_t>(capacityWanted) : 0);
    int capacity = capacityWanted;
    HexDecode(textCopy.data(), textLength, out.data(), &capacity);
    if (capacityWanted <= 0) {
        FUZZ_CHECK(capacity <= 0);
    } else {
        FUZZ_CHECK(capacity >= 0 && capacity <= capacityWanted);
        FUZZ_CHECK(capacity <= (textLength + 1) / 2);
    }

    // The same bytes encoded and decoded again come back unchanged.
    const int byteCount = textLength;
    int encodedCapacity = byteCount * 2;
    std::vector<char> encoded(static_cast<size_t>(encodedCapacity) + 1);
    if (encodedCapacity > 0) {
        FUZZ_CHECK(HexEncode(text, byteCount, encoded.data(), &encodedCapacity) == 0);
        FUZZ_CHECK(encodedCapacity == byteCount * 2);
        FUZZ_CHECK(encoded[static_cast<size_t>(encodedCapacity)] == '\0');
        std::vector<unsigned char> back(static_cast<size_t>(byteCount));
        int decodedCapacity = byteCount;
        HexDecode(encoded.data(), encodedCapacity, back.data(), &decodedCapacity);
        FUZZ_CHECK(decodedCapacity == byteCount);
        FUZZ_CHECK(std::memcmp(back.data(), text, static_cast<size_t>(byteCount)) == 0);
    }
    return 0;
}
