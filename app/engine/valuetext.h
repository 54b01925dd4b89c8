// Text forms of record values as the backup files store them.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace tarvell {

// Seconds since 1970 as local time, "%04d-%02d-%02d  %02d:%02d:%02d" (two
// blanks between date and time); "" when local-time conversion rejects the
// value.
QByteArray DateText(int64_t seconds);

// Seconds as "%02d:%02d:%02d": whole hours (not wrapped at 24), minutes,
// seconds. A negative count gives "00:00:00".
QByteArray DurationText(int64_t seconds);

// The text of a fixed-size record field up to its first NUL (at most
// capacity bytes, so an unterminated field never reads past its end).
QByteArray FixedText(const char* field, size_t capacity);
template <size_t N> QByteArray FixedText(const char (&field)[N]) {
    return FixedText(field, N);
}

// text up to its first carriage return or line feed.
QByteArray CutAtLineEnd(const QByteArray& text);

// Text of a nullable record string; null gives "".
inline QByteArray OptionalText(const char* text) {
    return text == nullptr ? QByteArray() : QByteArray(text);
}

} // namespace tarvell
