#include "convert.h"

#include <cstring>
#include <ctime>

int HexEncode(const void* bytes, int byteCount, char* out, int* capacity) {
    if (out == nullptr || capacity == nullptr || *capacity <= 0) {
        return -1;
    }
    static const char kDigits[] = "0123456789ABCDEF";
    const int limit = *capacity;
    const auto* in = static_cast<const unsigned char*>(bytes);
    int written = 0;
    if (in != nullptr) {
        // A pair that would pass the capacity is not started, so an odd
        // capacity never writes beyond out[capacity].
        for (int i = 0; i < byteCount && written + 2 <= limit; ++i) {
            out[written++] = kDigits[in[i] >> 4];
            out[written++] = kDigits[in[i] & 0x0F];
        }
    }
    out[written] = '\0';
    *capacity = written;
    return 0;
}

namespace {

// Uppercase hex as the companion sends it; anything else decodes as its
// decimal digit value, or 0 for a non-digit.
int HexDigitValue(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'A') {
        return u - 55;
    }
    if (u >= '0' && u <= '9') {
        return u - '0';
    }
    return 0;
}

} // namespace

void HexDecode(const char* text, int textLength, void* out, int* capacity) {
    if (capacity == nullptr) {
        return;
    }
    const int limit = *capacity;
    *capacity = 0;
    if (text == nullptr || out == nullptr || textLength <= 0 || limit <= 0) {
        return;
    }
    auto* bytes = static_cast<unsigned char*>(out);
    int written = 0;
    for (int i = 0; i < textLength && written < limit; i += 2) {
        const int high = HexDigitValue(text[i]);
        // The low digit of an odd-length text would lie past the text: it counts 0.
        const int low = i + 1 < textLength ? HexDigitValue(text[i + 1]) : 0;
        bytes[written++] = static_cast<unsigned char>((high * 16 + low) & 0xFF);
    }
    *capacity = written;
}

void FileExtensionOf(const char* path, char* out) {
    if (path == nullptr || out == nullptr) {
        return;
    }
    const size_t length = std::strlen(path);
    for (size_t i = length; i-- > 1;) {
        if (path[i] == '.') {
            std::strncpy(out, path + i + 1, 15);
            out[15] = '\0';
            return;
        }
    }
}

int64_t ParseDecimal64(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    // Unsigned arithmetic: an overlong text wraps instead of overflowing.
    uint64_t value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        value = value * 10 + static_cast<uint64_t>(static_cast<unsigned char>(*p) - '0');
    }
    return static_cast<int64_t>(value);
}

namespace {

// Decimal reading of text[from, from + count), stopping at the end of the text.
int SliceNumber(const char* text, size_t length, size_t from, size_t count) {
    int value = 0;
    for (size_t i = from; i < from + count && i < length; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

int64_t ParseDateTime(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    const size_t length = std::strlen(text);
    std::tm tm{};
    tm.tm_year = SliceNumber(text, length, 0, 4) - 1900;
    tm.tm_mon = SliceNumber(text, length, 5, 2) - 1;
    tm.tm_mday = SliceNumber(text, length, 8, 2);
    tm.tm_hour = SliceNumber(text, length, 11, 2);
    tm.tm_min = SliceNumber(text, length, 14, 2);
    tm.tm_sec = SliceNumber(text, length, 17, 2);
    // Daylight saving is decided for the date itself, not for today: a date
    // read in summer and written back in winter must stay the same moment.
    tm.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&tm));
}
