// Tagged record text as the companion sends it: entries TAG:VALUE; where
// VALUE is uppercase hex of the field's bytes, each record of a list closed
// by a '.' right after the ';' of its last entry.
//
//     ID:3132;BODY:4869;.ID:3133;.
//
// The walker below reads such text without changing it and never looks past
// the length it is given, whatever the text holds. List decoding into the
// message, contact and call-log stores lives in stores.cpp; detail records
// reuse the same walker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace recordtext {

// Decoded values are cut to this many bytes (plus a NUL in a 1024-byte buffer).
constexpr int kMaxValueBytes = 1023;

struct Entry {
    std::string_view tag;
    std::string_view value; // still hex (or decimal digits for the storage reply)
};

enum class Step {
    Entry,     // *entry holds the next TAG:VALUE; pair
    RecordEnd, // a '.' closed the record under construction
    End,       // end of text, a NUL, or an entry without its closing ';'
};

class EntryWalker {
public:
    // The text ends at length or at its first NUL byte, whichever comes first.
    EntryWalker(const char* text, size_t length)
        : m_pos(text), m_end(text == nullptr ? text : text + BoundedLength(text, length)) {}

    // The next step of the walk. Entries without a ':' are skipped (they can
    // carry no field); an entry without its ';' ends the walk, as does the
    // end of the text.
    Step Next(Entry* entry) {
        for (;;) {
            if (m_pos == m_end) {
                return Step::End;
            }
            if (*m_pos == '.') {
                ++m_pos;
                return Step::RecordEnd;
            }
            const auto remaining = static_cast<size_t>(m_end - m_pos);
            const auto* semi = static_cast<const char*>(std::memchr(m_pos, ';', remaining));
            if (semi == nullptr) {
                m_pos = m_end;
                return Step::End;
            }
            const auto entryLength = static_cast<size_t>(semi - m_pos);
            const auto* colon = static_cast<const char*>(std::memchr(m_pos, ':', entryLength));
            const char* start = m_pos;
            m_pos = semi + 1;
            if (colon == nullptr) {
                continue;
            }
            entry->tag = std::string_view(start, static_cast<size_t>(colon - start));
            entry->value = std::string_view(colon + 1, static_cast<size_t>(semi - colon - 1));
            return Step::Entry;
        }
    }

private:
    static size_t BoundedLength(const char* text, size_t length) {
        const void* nul = std::memchr(text, '\0', length);
        return nul == nullptr ? length : static_cast<size_t>(static_cast<const char*>(nul) - text);
    }

    const char* m_pos;
    const char* m_end;
};

// Bytes a hex value decodes to, after the cut at kMaxValueBytes.
inline int DecodedLength(std::string_view hex) {
    const size_t bytes = (hex.size() + 1) / 2;
    return bytes > static_cast<size_t>(kMaxValueBytes) ? kMaxValueBytes : static_cast<int>(bytes);
}

// Decodes a hex value into out (at least DecodedLength(hex) + 1 bytes),
// NUL-terminated. Returns the byte count. An odd last digit decodes as the
// high half of a byte; other characters decode without reading outside the
// value.
int DecodeValue(std::string_view hex, char* out);

// Decodes a hex value into a 1024-byte buffer, NUL-terminated, and copies
// at most size - 1 bytes of it into field, always NUL-terminated (size > 0).
void DecodeValueInto(std::string_view hex, char* field, size_t size);

// The C library's atoi without its undefined overflow: leading blanks, an
// optional sign, then digits; the value saturates at the int range.
int ReadInt(const char* text);

// The same for 64-bit values (the reading of _atoi64).
int64_t ReadInt64(const char* text);

} // namespace recordtext
