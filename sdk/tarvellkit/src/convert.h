// Conversion helpers shared by every module of the library.
#pragma once

#include <cstdint>

// Writes two uppercase hex digits per input byte into out, stopping once the
// characters written reach *capacity; NUL-terminates (out needs *capacity + 1
// bytes). On return *capacity holds the characters written (always even).
// Returns -1 when out or capacity is missing or *capacity <= 0, else 0.
int HexEncode(const void* bytes, int byteCount, char* out, int* capacity);

// Decodes pairs of hex digits (uppercase; other characters decode as their
// digit value or 0) into out, at most *capacity bytes and never past
// textLength. On return *capacity holds the bytes written. No terminator.
void HexDecode(const char* text, int textLength, void* out, int* capacity);

// Copies the text after the last '.' of path (not counting its first
// character) into out, at most 15 characters plus NUL; out needs 16 bytes.
// Leaves out unchanged when there is no such dot.
void FileExtensionOf(const char* path, char* out);

// Unsigned decimal reading without validation: value = value * 10 + (c - '0')
// over every character. Null gives 0.
int64_t ParseDecimal64(const char* text);

// "YYYY-MM-DD HH:MM:SS" (any separators) as local time, seconds since 1970.
int64_t ParseDateTime(const char* text);
