#include "valuetext.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>

namespace tarvell {

QByteArray DateText(int64_t seconds) {
    if (seconds < std::numeric_limits<time_t>::min() ||
        seconds > std::numeric_limits<time_t>::max()) {
        return QByteArray();
    }
    const time_t when = time_t(seconds);
    struct tm local {};
    if (localtime_r(&when, &local) == nullptr) {
        return QByteArray();
    }
    char text[64];
    const int n =
        std::snprintf(text, sizeof text, "%04d-%02d-%02d  %02d:%02d:%02d", local.tm_year + 1900,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return QByteArray(text, n);
}

QByteArray DurationText(int64_t seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    char text[64];
    const int n =
        std::snprintf(text, sizeof text, "%02lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                      int(seconds / 60 % 60), int(seconds % 60));
    return QByteArray(text, n);
}

QByteArray FixedText(const char* field, size_t capacity) {
    if (field == nullptr) {
        return QByteArray();
    }
    return QByteArray(field, qsizetype(strnlen(field, capacity)));
}

QByteArray CutAtLineEnd(const QByteArray& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            return text.left(i);
        }
    }
    return text;
}

} // namespace tarvell
